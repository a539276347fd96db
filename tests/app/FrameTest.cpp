#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <thread>

#include "app/AlertsWindow.h"
#include "app/AppTestSupport.h"
#include "app/CMainFrame.h"
#include "app/CStratavueApp.h"
#include "app/GuiUserInterface.h"
#include "app/LogFileDialogs.h"
#include "app/NoDataDialog.h"
#include "app/RainfallDialogs.h"
#include "framework/ClassRegistry.h"
#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "runtime/ClassTables.h"
#include "runtime/Runtime.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

using test::ServeUntil;
using test::WriteFileBytes;

// Answers every message box that comes up with its default button and keeps its text.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.push_back(box->text().toStdString());
                box->defaultButton() != nullptr ? box->defaultButton()->click() : box->reject();
            }
        });
        timer_.start(5);
    }
    std::vector<std::string> texts;

private:
    QTimer timer_;
};

class Frame : public ::testing::Test {
protected:
    Frame() {
        MuteAllAlarms() = 0;
        DisableAllAlarms() = 0;
        WriteFileBytes(dir.File("in.log"), "1\r\nTemp\r\n05/12/26, 10:00:00, 5\r\n05/12/26, 10:00:01, 6\r\n");
        StationList list;
        auto replay = std::make_unique<WSFile>("Replay");
        replay->active = 1;
        replay->inputFile = dir.File("in.log");
        replay->speed = WSFile::kOnePerSecond;
        replay->loop = 1;
        list.push_back(std::move(replay));
        SaveStationFile(settings.StationFilePath(), list);
    }
    ~Frame() override {
        MuteAllAlarms() = 0;
        DisableAllAlarms() = 0;
    }

    std::unique_ptr<CMainFrame> MakeFrame() { return test::MakeFrame(settings, recent); }
    bool Enabled(CMainFrame& f, int command) { return f.Action(command)->isEnabled(); }
    bool Checked(CMainFrame& f, int command) { return f.Action(command)->isChecked(); }

    test::TempDir dir;
    Settings settings{dir.Path().string()};
    RecentFileList recent;
};

TEST_F(Frame, CommandsFollowAcquisition) {
    auto frame = MakeFrame();
    EXPECT_FALSE(Checked(*frame, cmd::kRealtime));
    EXPECT_TRUE(Enabled(*frame, cmd::kWeatherStations));
    EXPECT_TRUE(Enabled(*frame, cmd::kDownload));
    EXPECT_TRUE(Enabled(*frame, cmd::kAddDisplayItem));
    EXPECT_FALSE(Enabled(*frame, cmd::kAlarmDetails));  // no alerts text
    EXPECT_FALSE(frame->StatusPane(104)->isEnabled());

    frame->Action(cmd::kRealtime)->trigger();
    EXPECT_TRUE(frame->GetRuntime().AcquisitionRunning());
    EXPECT_TRUE(Checked(*frame, cmd::kRealtime));
    EXPECT_FALSE(Enabled(*frame, cmd::kWeatherStations));
    EXPECT_FALSE(Enabled(*frame, cmd::kDownload));
    EXPECT_FALSE(Enabled(*frame, cmd::kAddDisplayItem));
    EXPECT_FALSE(Enabled(*frame, cmd::kNormalColour));
    EXPECT_TRUE(frame->StatusPane(104)->isEnabled());
    EXPECT_EQ(frame->StatusPane(104)->text(), "Realtime data collection enabled");

    frame->Action(cmd::kRealtime)->trigger();
    frame->WaitForStop();
    EXPECT_FALSE(frame->GetRuntime().AcquisitionRunning());
    EXPECT_FALSE(Checked(*frame, cmd::kRealtime));
    EXPECT_TRUE(Enabled(*frame, cmd::kWeatherStations));
    EXPECT_FALSE(frame->StatusPane(104)->isEnabled());
}

TEST_F(Frame, CloseWaitsForTheStationThreads) {
    auto frame = MakeFrame();
    frame->show();
    frame->StartAcquisition();
    ASSERT_TRUE(ServeUntil([&] { return frame->GetRuntime().Stations()[0]->threadRunning.load(); }));
    EXPECT_FALSE(frame->close());  // refused while the thread runs
    EXPECT_TRUE(frame->isVisible());
    ASSERT_TRUE(ServeUntil([&] { return !frame->isVisible(); }));  // retried once it has ended
    EXPECT_FALSE(frame->GetRuntime().AcquisitionRunning());
    EXPECT_FALSE(frame->GetRuntime().Stations()[0]->threadRunning.load());
}

TEST_F(Frame, MuteIsSavedLockLayoutIsWritten) {
    auto frame = MakeFrame();
    frame->Action(cmd::kMuteAlarms)->trigger();
    EXPECT_TRUE(Checked(*frame, cmd::kMuteAlarms));
    ClassRegistry reg;
    RegisterAllClasses(reg);
    MuteAllAlarms() = 0;
    const StationFileResult saved = LoadStationFile(settings.StationFilePath(), reg);
    ASSERT_TRUE(saved.Ok());
    EXPECT_EQ(MuteAllAlarms().load(), 1);  // the file carries the switch

    frame->Action(cmd::kLockLayout)->trigger();
    EXPECT_EQ(settings.GetSettingString("Settings", "LockLayout", ""), "Yes");
    EXPECT_FALSE(Enabled(*frame, cmd::kAddDisplayItem));
    EXPECT_FALSE(Enabled(*frame, cmd::kBackgroundBitmap));
    frame->Action(cmd::kLockLayout)->trigger();
    EXPECT_EQ(settings.GetSettingString("Settings", "LockLayout", ""), "No");
    EXPECT_TRUE(Enabled(*frame, cmd::kAddDisplayItem));
}

TEST_F(Frame, MissingOrDamagedStationFileEndsStartUp) {
    MessageBoxAnswerer answers;
    WriteFileBytes(settings.StationFilePath(), "damaged");
    {
        CMainFrame frame(settings, recent, SystemClock());
        EXPECT_FALSE(frame.LoadStationFile([](const std::string&) { return std::nullopt; }));
    }
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0].rfind("Your weather station definition file (Stratavue.wsf) is corrupt.", 0), 0u);

    std::filesystem::remove(settings.StationFilePath());
    bool asked = false;
    CMainFrame frame(settings, recent, SystemClock());
    EXPECT_FALSE(frame.LoadStationFile([&](const std::string&) {
        asked = true;
        return std::nullopt;  // the folder chooser cancelled: the program ends
    }));
    EXPECT_TRUE(asked);
    EXPECT_EQ(answers.texts.back().rfind("Your Stratavue configuration files need to be installed.", 0), 0u);
}

TEST(GuiUserInterfaceTest, WorkerQuestionsAreAskedOnTheGuiThread) {
    GuiUserInterface ui;
    MessageBoxAnswerer answers;
    std::atomic<int> result{0};
    std::thread worker([&] {
        result = static_cast<int>(ui.MessageBox("Phone out?", "Modem", MsgButtons::YesNo, MsgIcon::Question, 2));
    });
    ASSERT_TRUE(ServeUntil([&] { return result.load() != 0; }));
    worker.join();
    EXPECT_EQ(result.load(), static_cast<int>(MsgResult::No));  // the default button
    EXPECT_EQ(answers.texts, (std::vector<std::string>{"Phone out?"}));
}

TEST(GuiUserInterfaceTest, ShutdownReleasesAWaitingWorker) {
    GuiUserInterface ui;
    std::atomic<int> result{0};
    // The GUI thread never serves this question: it is shutting down instead.
    std::thread worker(
        [&] { result = static_cast<int>(ui.MessageBox("Retry?", "", MsgButtons::RetryCancel, MsgIcon::Warning)); });
    while (result.load() == 0) {
        ui.Shutdown();
        QThread::msleep(1);
    }
    worker.join();
    EXPECT_EQ(result.load(), static_cast<int>(MsgResult::Cancel));
    EXPECT_EQ(ui.MessageBox("Later", "", MsgButtons::OkCancel, MsgIcon::None), MsgResult::Cancel);
}

TEST(AlertsWindowTest, FourBeepsUnlessMutedAndReset) {
    MuteAllAlarms() = 0;
    int resets = 0;
    int beeps = 0;
    QWidget main;
    main.setWindowTitle("Main");
    AlertsWindow alerts(&main, [&] { ++resets; });
    alerts.SetBeep([&] { ++beeps; });
    alerts.ShowAlerts("Hill:\r\nAlarm: \"High\" triggered\r\n");
    EXPECT_TRUE(alerts.isVisible());
    EXPECT_EQ(alerts.Text(), "Hill:\nAlarm: \"High\" triggered\n");
    EXPECT_TRUE(alerts.Signalling());
    for (int tick = 0; tick < 5; ++tick) {
        alerts.SignalTick();
    }
    EXPECT_EQ(beeps, 4);
    EXPECT_FALSE(alerts.Signalling());
    EXPECT_EQ(main.windowTitle(), "Main");  // captions restored
    EXPECT_EQ(alerts.windowTitle(), "Alerts & Alarms");

    MuteAllAlarms() = 1;
    alerts.ShowAlerts("again");
    for (int tick = 0; tick < 5; ++tick) {
        alerts.SignalTick();
    }
    MuteAllAlarms() = 0;
    EXPECT_EQ(beeps, 4);

    alerts.ResetButton()->click();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(alerts.Text(), "");
    alerts.CloseButton()->click();
    EXPECT_FALSE(alerts.isVisible());
}

TEST(NoDataDialogTest, ShowsAndWritesHoursAndMinutes) {
    test::TempDir dir;
    Settings settings(dir.Path().string());
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<NoDataDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->Hours(), 1);  // 25 h 30 min shows as 1:30
        EXPECT_EQ(dialog->Minutes(), 30);
        dialog->HoursBox()->setValue(99);  // beyond the range: 23
        dialog->MinutesBox()->setValue(5);
        dialog->accept();
    });
    EXPECT_EQ(NoDataDialog::Edit(nullptr, settings, (25 * 60 + 30) * 60), (23 * 60 + 5) * 60);
    EXPECT_EQ(settings.GetSettingInt("NoDataWarning", "Hours", -1), 23);
    EXPECT_EQ(settings.GetSettingInt("NoDataWarning", "Minutes", -1), 5);
}

TEST(RainfallDialogTest, PreselectsTheFirstRainfallChannel) {
    StationList stations;
    stations.push_back(std::make_unique<WSFile>("Dry"));
    stations[0]->channelNames = {"Date", "Time", "Temp"};
    stations.push_back(std::make_unique<WSFile>("Wet"));
    stations[1]->channelNames = {"Date", "Time", "Temp", "Rain", "Rain2"};
    stations[1]->channelTypes = {0, 0, 1, 13, 13};
    RainfallDialog dialog(nullptr, stations, RainfallDialog::Period::Month, CalendarDay{2026, 5, 17});
    EXPECT_EQ(dialog.ChannelBox()->count(), 3);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.StationBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog.ChannelBox()->currentIndex(), 3);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.MonthBox()->currentIndex(), 4);
    EXPECT_EQ(dialog.YearBox()->maximum(), 2026);
    EXPECT_EQ(dialog.YearBox()->minimum(), 1970);
}

TEST(CombineLogFilesTest, OkNeedsStationAndOutputAndMissingFilesAreReported) {
    test::TempDir dir;
    StationList stations;
    stations.push_back(std::make_unique<WSFile>("Hill"));
    stations[0]->logFolder = dir.Path().string();
    CombineLogFilesDialog dialog(nullptr, stations);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.StationBox()->setCurrentIndex(0);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.OutputEdit()->setText(QString::fromStdString(dir.File("all.log")));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());

    test::RecordingUserInterface ui;
    dialog.Combine(ui);  // no day file in the period
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "No log files are available for this period");
    EXPECT_EQ(ui.Messages()[0].buttons, MsgButtons::OkCancel);
    EXPECT_FALSE(std::filesystem::exists(dir.File("all.log")));
}

}  // namespace
}  // namespace svu
