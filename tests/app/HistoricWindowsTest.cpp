#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimeEdit>
#include <deque>

#include "app/CMainFrame.h"
#include "app/CStratavueApp.h"
#include "app/HistoricCommands.h"
#include "app/HistoricGraphWindow.h"
#include "app/HistoricRangeDialog.h"
#include "app/HistoricSupport.h"
#include "app/HistoricTableModel.h"
#include "app/HistoricTableWindow.h"
#include "app/HistoricWindroseWindow.h"
#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "framework/Settings.h"
#include "framework/RecordingUserInterface.h"
#include "framework/TempDir.h"
#include "gadgets/Chart2D.h"
#include "pages/FieldBinder.h"
#include "pages/HistoricPages.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

using test::WriteFileBytes;

// Answers file dialogs from a queue.
class QueuedPaths : public PathPrompter {
public:
    QueuedPaths() { previous_ = SetPathPrompter(this); }
    ~QueuedPaths() override { SetPathPrompter(previous_); }
    QString AskFile(QWidget*, const QString& title, const QString&, const QString&, bool save) override {
        asked.push_back(title.toStdString() + (save ? " (save)" : ""));
        if (answers.empty()) {
            return {};
        }
        const QString next = answers.front();
        answers.pop_front();
        return next;
    }
    QString AskFolder(QWidget*, const QString&, const QString&) override { return {}; }

    std::deque<QString> answers;
    std::vector<std::string> asked;

private:
    PathPrompter* previous_;
};

// A log of wind readings on 1 June 2026, ten minutes apart from 10:00.
std::string WindLog() {
    return "3\r\nDir\r\nSpeed\r\nTemp\r\n01/06/26, 10:00:00, 90, 5, 12\r\n01/06/26, 10:10:00, 90, 5, 13\r\n"
           "01/06/26, 10:20:00, 90, 5, 14\r\n";
}

HistoricRangeChoice FileChoice(const std::string& path) {
    HistoricRangeChoice choice;
    choice.source.downloaded = true;
    choice.source.filePath = path;
    choice.from = FromLocal(2026, 6, 1, 0, 0, 0);
    choice.to = FromLocal(2026, 6, 1, 23, 0, 0);
    return choice;
}

TEST(HistoricFiles, AnUpperCaseDatFileAsksForConversionFirst) {
    test::TempDir dir;
    EXPECT_TRUE(IsCompactFlashFile(QStringLiteral("/card/LOGGER.DAT")));
    EXPECT_FALSE(IsCompactFlashFile(QStringLiteral("/card/logger.log")));
    WriteFileBytes(dir.File("header.txt"), "1\n2\n3\n4\nSpeed\n");
    WriteFileBytes(dir.File("LOGGER.DAT"), std::string("\x01\x01\x00\x00\x00\x3c\x41\x48\x00\x00\x00", 11));
    QueuedPaths paths;
    test::RecordingUserInterface ui;
    paths.answers = {QString::fromStdString(dir.File("LOGGER.DAT")), QString::fromStdString(dir.File("header.txt")),
                     QString::fromStdString(dir.File("card"))};
    ui.Answer(MsgResult::Yes);
    const QString log = ChooseLogFile(nullptr, ui);
    EXPECT_EQ(log.toStdString(), dir.File("card.log"));
    EXPECT_EQ(ui.Messages().at(0).text, kConvertCardQuestion);
    EXPECT_EQ(paths.asked.at(1), "Select the header file (header.txt) from the compact flash card");
    EXPECT_EQ(test::ReadFileBytes(dir.File("card.log")), "1\r\nSpeed\r\n01/01/70, 00:01:00, 12.5\r\n");

    paths.answers = {QString::fromStdString(dir.File("LOGGER.DAT"))};
    ui.Answer(MsgResult::No);
    EXPECT_TRUE(ChooseLogFile(nullptr, ui).isEmpty());
}

TEST(HistoricRangeDialog, DownloadedDataNeedsAFileAndTakesItsPeriod) {
    test::TempDir dir;
    WriteFileBytes(dir.File("wind.log"), WindLog());
    test::RecordingUserInterface ui;
    StationList stations;
    stations.push_back(std::make_unique<WSFile>("Hill"));
    HistoricRangeDialog dialog(nullptr, stations, ui, FromLocal(2026, 7, 1, 15, 30, 0));
    EXPECT_EQ(dialog.FromTime()->time(), QTime(0, 0, 0));
    EXPECT_TRUE(dialog.StationBox()->isEnabled());
    EXPECT_FALSE(dialog.BrowseButton()->isEnabled());
    dialog.DownloadedButton()->setChecked(true);
    EXPECT_FALSE(dialog.StationBox()->isEnabled());
    EXPECT_TRUE(dialog.BrowseButton()->isEnabled());
    dialog.accept();
    EXPECT_EQ(ui.Messages().at(0).text, kSelectDownloadFile);
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    dialog.SetFile(QString::fromStdString(dir.File("wind.log")));
    HistoricRangeChoice choice = dialog.Choice();
    EXPECT_EQ(choice.from, FromLocal(2026, 6, 1, 10, 0, 0));
    EXPECT_EQ(choice.to, FromLocal(2026, 6, 1, 10, 20, 0));
    EXPECT_TRUE(choice.source.downloaded);
    dialog.ToTime()->setTime(QTime(11, 0, 0));  // the user's own period wins from now on
    dialog.SetFile(QString::fromStdString(dir.File("wind.log")));
    EXPECT_EQ(dialog.Choice().to, FromLocal(2026, 6, 1, 11, 0, 0));
}

TEST(HistoricGraphWindow, TheRightAxisShowsOnlyWithTraceTwo) {
    test::TempDir dir;
    WriteFileBytes(dir.File("wind.log"), WindLog());
    test::RecordingUserInterface ui;
    HistoricGraphWindow window(nullptr, ui, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    ASSERT_TRUE(window.Load(FileChoice(dir.File("wind.log"))));
    window.Trace(0).channel = 2;
    window.BuildChart();
    const ChartState& state = window.Chart()->State();
    EXPECT_FALSE(state.secondAxisShown);
    EXPECT_TRUE(state.y[1].sets.empty() || state.y[1].sets[0].x.empty());
    ASSERT_EQ(state.y[0].sets.size(), 1u);
    EXPECT_EQ(state.y[0].sets[0].y, (std::vector<double>{12, 13, 14}));
    EXPECT_EQ(state.timeUnit, 60);
    EXPECT_EQ(state.y[0].sets[0].colour, QColor(0, 0, 255));

    window.Trace(1).channel = 0;
    window.Trace(1).channelName = "Dir";
    window.Trace(1).windDirection = true;
    window.BuildChart();
    EXPECT_TRUE(window.Chart()->State().secondAxisShown);
    EXPECT_EQ(window.Chart()->State().y[1].title, QStringLiteral("Dir"));
    EXPECT_EQ(window.Chart()->State().y[1].maximum, 720.0);
    EXPECT_EQ(window.Chart()->State().y[1].valueLabels.size(), 9u);
    EXPECT_EQ(window.Chart()->State().y[1].sets[0].y.front(), 450.0);

    // A right click takes the time of the whole minute under the pointer.
    window.Chart()->resize(600, 300);
    const ChartLayout layout = window.Chart()->Layout();
    TimeT time = 0;
    ASSERT_TRUE(window.TimeAt(QPoint(static_cast<int>(layout.XToPixel(10.0)), static_cast<int>(layout.plot.center().y())), time));
    EXPECT_EQ(time, FromLocal(2026, 6, 1, 10, 10, 0));
}

TEST(HistoricGraphWindow, NothingInThePeriodOrNoFileIsReported) {
    test::TempDir dir;
    WriteFileBytes(dir.File("wind.log"), WindLog());
    test::RecordingUserInterface ui;
    HistoricGraphWindow window(nullptr, ui, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    HistoricRangeChoice choice = FileChoice(dir.File("wind.log"));
    choice.to = choice.from + 60;
    EXPECT_FALSE(window.Load(choice));
    choice.source.filePath = dir.File("none.log");
    EXPECT_FALSE(window.Load(choice));
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].text, kNoDataInRange);
    EXPECT_EQ(ui.Messages()[1].text, kUnableToOpenFile);
}

TEST(HistoricGraphSheet, ChoosingAChannelCopiesItsName) {
    std::vector<std::string> names{"Dir", "Speed"};
    std::array<HistoricTrace, 2> traces{HistoricTrace::Default(0), HistoricTrace::Default(1)};
    auto sheet = MakeHistoricGraphSheet(nullptr, names, traces);
    PropertyPage* second = sheet->Pages().at(1);
    EXPECT_EQ(second->TabName(), QStringLiteral("Trace 2"));
    auto* channel = second->findChild<QComboBox*>(QStringLiteral("channel"));
    ASSERT_NE(channel, nullptr);
    channel->setCurrentIndex(1);
    auto* minimum = second->findChild<QWidget*>(QStringLiteral("minimum"));
    ASSERT_NE(minimum, nullptr);
    EXPECT_FALSE(minimum->isEnabled());
    ASSERT_TRUE(sheet->ApplyAll());
    EXPECT_EQ(traces[1].channel, 1);
    EXPECT_EQ(traces[1].channelName, "Speed");
    EXPECT_EQ(traces[0].channel, -1);
}

TEST(HistoricTableWindow, ShowsTrimmedCellsAndCopiesTheSelection) {
    test::TempDir dir;
    WriteFileBytes(dir.File("wind.log"), WindLog());
    test::RecordingUserInterface ui;
    HistoricTableWindow window(nullptr, ui, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    ASSERT_TRUE(window.Load(QString::fromStdString(dir.File("wind.log"))));
    EXPECT_EQ(window.windowTitle().toStdString(), "Historic Table - " + dir.File("wind.log"));
    EXPECT_EQ(window.Model()->Headings(),
              (QStringList{"Date", "Time", "Dir", "Speed", "Temp"}));
    EXPECT_EQ(window.Model()->rowCount(), 3);
    EXPECT_GE(window.View()->columnWidth(1), 55);
    window.View()->selectRow(1);
    EXPECT_EQ(window.SelectionText(), QStringLiteral("01/06/26\t10:10:00\t90\t5\t13\n"));
    EXPECT_FALSE(window.Load(QString::fromStdString(dir.File("none.log"))));
    EXPECT_EQ(ui.Messages().at(0).text, kUnableToOpenFile);
}

TEST(HistoricWindroseWindow, TheTableFollowsTheRoseAndTheRightEdge) {
    test::TempDir dir;
    WriteFileBytes(dir.File("wind.log"), WindLog());
    test::RecordingUserInterface ui;
    HistoricWindroseWindow window(nullptr, ui, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    ASSERT_TRUE(window.Load(FileChoice(dir.File("wind.log"))));
    window.Settings().directionChannel = 0;
    window.Settings().speedChannel = 1;
    window.Settings().displayAs = RoseRunUnit::Metres;
    window.Drawing().displayTable = false;
    window.Apply();
    QTableWidget* table = window.Table();
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QStringLiteral("Metres"));
    EXPECT_EQ(table->item(4, 1)->text(), QStringLiteral("6000.0"));  // 20 minutes at 5 m/s from the east
    EXPECT_EQ(table->item(16, 0)->text(), QStringLiteral("Total"));
    EXPECT_TRUE(table->isHidden());
    EXPECT_EQ(table->currentRow(), 16);
    window.resize(700, 500);
    window.show();
    EXPECT_EQ(table->width(), HistoricWindroseWindow::kTableWidth);
    EXPECT_EQ(table->x(), window.Canvas()->width() - HistoricWindroseWindow::kTableWidth);
}

}  // namespace
}  // namespace svu

namespace svu {
namespace {

TEST(HistoricCommands, TheMainWindowOpensEachHistoricWindowOnce) {
    test::TempDir dir;
    WriteFileBytes(dir.File("wind.log"), WindLog());
    Settings settings(dir.Path().string());
    SaveStationFile(settings.StationFilePath(), StationList{});
    RecentFileList recent;
    CMainFrame frame(settings, recent, SystemClock());
    ASSERT_TRUE(frame.LoadStationFile([](const std::string&) { return std::nullopt; }));
    ASSERT_NE(frame.Action(kCmdHistoricGraph), nullptr);
    EXPECT_EQ(frame.Action(kCmdHistoricWindrose)->text(), QStringLiteral("&Windrose..."));
    EXPECT_EQ(frame.Action(kCmdConvertCompactFlash)->text(), QStringLiteral("Compact &Flash..."));
    auto* commands = frame.findChild<HistoricCommands*>();
    ASSERT_NE(commands, nullptr);

    QueuedPaths paths;
    paths.answers = {QString::fromStdString(dir.File("wind.log"))};
    frame.Action(kCmdHistoricTable)->trigger();
    HistoricTableWindow* table = commands->Table();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Model()->rowCount(), 3);
    frame.Action(kCmdHistoricTable)->trigger();  // only brought to the front
    EXPECT_EQ(commands->Table(), table);
    EXPECT_TRUE(paths.answers.empty());
    table->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(commands->Table(), nullptr);

    frame.Action(kCmdHistoricTable)->trigger();  // cancelled: the window closes itself
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(commands->Table(), nullptr);
}

}  // namespace
}  // namespace svu
