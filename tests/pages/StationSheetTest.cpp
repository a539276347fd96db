#include <QListWidget>
#include <QTableWidget>
#include <bit>

#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "framework/RecordingUserInterface.h"
#include "pages/AlarmPages.h"
#include "pages/FieldBinder.h"
#include "pages/PagesTestSupport.h"
#include "pages/PropertyPage.h"
#include "pages/Sheets.h"
#include "runtime/StationKinds.h"
#include "stations/Alarm.h"
#include "stations/WSFile.h"
#include "stations/WSNetwork.h"

namespace svu {
namespace {

// A Direct station whose instrument operations are recorded instead of sent.
class FakeInstrument : public WSDirect {
public:
    FakeInstrument() : WSDirect("Hilltop") {}
    bool ReadConfiguration() override {
        ++reads;
        return readWorks;
    }
    bool WriteConfiguration() override {
        ++writes;
        return true;
    }
    bool ClearMemory() override {
        ++clears;
        return false;
    }
    void SetClock() override { ++clockSets; }
    void GetLoggerInterval(int& minutes) override { minutes = 15; }
    void SetLoggerInterval(int minutes) override { sentInterval = minutes; }
    void GetGustPeriod(int&) override {}
    void SetGustPeriod(int) override {}

    int reads = 0, writes = 0, clears = 0, clockSets = 0, sentInterval = 0;
    bool readWorks = false;
};

class StationSheetTest : public test::StationSheetFixture {
protected:
    void SelectTab(PropertySheet& sheet, const QString& name) { sheet.Tabs()->setCurrentWidget(sheet.FindPage(name)); }

    std::unique_ptr<WSDirect> station = test::MakeStation({"Temp", "Rain", "Wind"});
};

TEST_F(StationSheetTest, EachKindHasItsCaptionAndPagesInOrder) {
    auto sheet = Open(*station);
    EXPECT_EQ(sheet->windowTitle(), "Properties - Corvan direct");
    EXPECT_EQ(test::TabNames(*sheet), QStringList({"Name", "Network", "Alarms", "Logging", "Processed data", "Comms"}));
    EXPECT_FALSE(test::TabNames(*Open(*station, false)).contains("Processed data"));

    WSFile file("Replay");
    auto fileSheet = Open(file);
    EXPECT_EQ(fileSheet->windowTitle(), "Properties - File");
    EXPECT_EQ(test::TabNames(*fileSheet),
              QStringList({"Name", "File", "Network", "Alarms", "Logging", "Processed data"}));
    WSNetwork network("Remote");
    auto networkSheet = Open(network);
    EXPECT_EQ(networkSheet->windowTitle(), "Properties - Network");
    EXPECT_EQ(test::TabNames(*networkSheet).last(), "Input");

    // Every kind that can be created opens a sheet that starts with its name.
    for (const StationKind& kind : StationKinds()) {
        if (auto made = CreateStation(kind.typeCode, "WS1")) {
            EXPECT_EQ(test::TabNames(*Open(*made)).first(), "Name") << kind.dropDownText;
        }
    }
}

TEST_F(StationSheetTest, ValueOutsideItsRangeIsRefusedAndThePageStays) {
    auto sheet = Open(*station);
    test::Type(sheet.get(), "name", "Renamed");
    SelectTab(*sheet, "Name");
    test::Type(sheet.get(), "logCount", "60");
    test::ClickOk(sheet.get());

    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Please enter an integer between 1 and 59.");
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_EQ(test::CurrentTab(*sheet), "Logging");
    EXPECT_EQ(sheet->focusWidget(), test::Find<QLineEdit>(sheet.get(), "logCount"));
    EXPECT_EQ(station->name, "Hilltop");  // nothing written while a page refuses

    test::Type(sheet.get(), "logCount", "x");
    test::ClickOk(sheet.get());
    EXPECT_EQ(ui.Messages().back().text, "Please enter an integer.");
}

TEST_F(StationSheetTest, OkWritesEveryPageBack) {
    auto sheet = Open(*station);
    test::Type(sheet.get(), "name", "Summit");
    test::Find<QAbstractButton>(sheet.get(), "active")->setChecked(true);
    test::Find<QAbstractButton>(sheet.get(), "networkOutput")->setChecked(true);
    test::Type(sheet.get(), "networkFile", "/srv/summit.nws");
    test::Type(sheet.get(), "logFolder", "/var/log/summit");
    test::Choose(sheet.get(), "baudRate", "19200");
    test::ClickOk(sheet.get());

    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(station->name, "Summit");
    EXPECT_EQ(station->active, 1);
    EXPECT_EQ(station->networkOutput, 1);
    EXPECT_EQ(station->networkFile, "/srv/summit.nws");
    EXPECT_EQ(station->logFolder, "/var/log/summit");
    EXPECT_EQ(station->baudRate, 19200);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(StationSheetTest, CancelChangesNothingAndKeepsTheAlarms) {
    station->alarms.push_back(std::make_unique<Alarm>());
    station->alarms[0]->name = "Frost";
    auto sheet = Open(*station);
    test::Type(sheet.get(), "name", "Summit");
    test::Type(sheet.get(), "logCount", "5");
    auto* list = test::Find<QListWidget>(sheet.get(), "alarmList");
    list->setCurrentRow(0);
    ui.Answer(MsgResult::Yes);
    test::Click(sheet.get(), "deleteAlarm");
    EXPECT_EQ(list->count(), 0);
    test::ClickCancel(sheet.get());

    EXPECT_EQ(station->name, "Hilltop");
    EXPECT_EQ(station->logInterval, 60);
    ASSERT_EQ(station->alarms.size(), 1u);
    EXPECT_EQ(station->alarms[0]->name, "Frost");
}

TEST_F(StationSheetTest, LoggingPageClosedAt100730WithFifteenMinutesLogsFrom1000) {
    auto sheet = Open(*station);
    test::Type(sheet.get(), "logCount", "15");
    test::Choose(sheet.get(), "logUnit", "Minute(s)");
    test::ClickOk(sheet.get());
    EXPECT_EQ(station->logInterval, 900);
    EXPECT_EQ(station->nextLogTime, FromLocal(2026, 12, 5, 10, 0, 0));
}

TEST_F(StationSheetTest, LoggingPageShowsTheLargestFittingUnitAndLogAllDisablesIt) {
    const struct {
        int32_t interval;
        const char* count;
        const char* unit;
    } cases[] = {{7200, "2", "Hour(s)"}, {45, "45", "Second(s)"}, {90, "1", "Minute(s)"}};
    for (const auto& c : cases) {
        station->logInterval = c.interval;
        auto sheet = Open(*station);
        EXPECT_EQ(test::TextOf(sheet.get(), "logCount"), c.count);
        EXPECT_EQ(test::Find<QComboBox>(sheet.get(), "logUnit")->currentText(), c.unit);
    }
    station->logInterval = 60;
    auto sheet = Open(*station);
    test::Find<QAbstractButton>(sheet.get(), "logAllValues")->setChecked(true);
    EXPECT_FALSE(test::Find<QLineEdit>(sheet.get(), "logCount")->isEnabled());
    EXPECT_FALSE(test::Find<QComboBox>(sheet.get(), "logUnit")->isEnabled());
    // A count that is not in use does not stop the sheet, and does not become the interval.
    test::Type(sheet.get(), "logCount", "99");
    test::ClickOk(sheet.get());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(station->logAllValues, 1);
    EXPECT_EQ(station->logInterval, 60);
}

TEST_F(StationSheetTest, AddedAlarmJoinsTheHeadOfTheListOnOkAndKeptAlarmsKeepTheirState) {
    station->alarms.push_back(std::make_unique<Alarm>());
    Alarm* first = station->alarms[0].get();
    first->name = "Alarm1";
    first->triggered = 1;
    auto sheet = Open(*station);

    test::WhenModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Alarm Properties");
        EXPECT_EQ(test::TextOf(dialog, "name"), "Alarm2");
        test::Choose(dialog, "channel", "Rain");
        test::Choose(dialog, "condition", ">=");
        test::Type(dialog, "threshold", "30");
        test::Type(dialog, "reactivationDelay", "1441");
        test::ClickOk(dialog);  // refused: the dialog stays open
        test::Type(dialog, "reactivationDelay", "10");
        test::Find<QAbstractButton>(dialog, "enabled")->setChecked(true);
        test::ClickOk(dialog);
    });
    test::Click(sheet.get(), "addAlarm");

    EXPECT_EQ(ui.Messages().at(0).text, "Please enter an integer between 0 and 1440.");
    auto* list = test::Find<QListWidget>(sheet.get(), "alarmList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Alarm2\tEnabled");
    EXPECT_EQ(list->item(1)->text(), "Alarm1\tDisabled");
    EXPECT_EQ(station->alarms.size(), 1u);  // not before OK

    test::ClickOk(sheet.get());
    ASSERT_EQ(station->alarms.size(), 2u);
    const Alarm& added = *station->alarms[0];
    EXPECT_EQ(added.channel, 1);
    EXPECT_EQ(added.condition, Alarm::kGreaterEqual);
    EXPECT_FLOAT_EQ(added.threshold, 30.0f);
    EXPECT_EQ(added.reactivationDelay, 10);
    EXPECT_EQ(station->alarms[1].get(), first);
    EXPECT_EQ(first->triggered, 1);
}

TEST_F(StationSheetTest, AdvancedButtonsCallTheInstrument) {
    FakeInstrument instrument;
    instrument.channelNames = {"Temp"};
    instrument.rawChannelCount = instrument.channelCount = 1;
    auto sheet = Open(instrument);

    test::WhenModal([&](QWidget* advanced) {
        EXPECT_EQ(advanced->windowTitle(), "Advanced");
        test::Click(advanced, "read");
        EXPECT_EQ(instrument.reads, 1);
        EXPECT_EQ(ui.Messages().back().text, "Unable to get channel data");
        EXPECT_EQ(test::TextOf(advanced, "loggerInterval"), "15");  // the instrument's answer is shown

        test::Click(advanced, "synchronise");
        EXPECT_EQ(instrument.clockSets, 1);
        ui.Answer(MsgResult::Yes);
        test::Click(advanced, "clear");
        EXPECT_EQ(instrument.clears, 1);
        EXPECT_EQ(ui.Messages().back().text, "Unable to clear the logger's memory.");

        test::Type(advanced, "gustPeriod", "11");
        test::Click(advanced, "send");  // refused before anything is sent
        EXPECT_EQ(instrument.writes, 0);
        EXPECT_EQ(ui.Messages().back().text, "Please enter an integer between 1 and 10.");
        test::Type(advanced, "gustPeriod", "4");
        auto* table = test::Find<QTableWidget>(advanced, "channelTable");
        table->item(0, 1)->setText("Air");
        table->item(0, 3)->setText("2.5");
        test::Click(advanced, "send");
        EXPECT_EQ(instrument.writes, 1);
        EXPECT_EQ(instrument.sentInterval, 15);
        test::ClickCancel(advanced);
    });
    test::Click(sheet.get(), "advanced");

    EXPECT_EQ(instrument.gustPeriod, 4);
    EXPECT_EQ(instrument.channelNames[0], "Air");
    EXPECT_FLOAT_EQ(std::bit_cast<float>(instrument.channelMultipliers.at(0)), 2.5f);
}

class FakePrompter : public PathPrompter {
public:
    QString AskFile(QWidget*, const QString& title, const QString& filter, const QString&, bool save) override {
        asked = {title, filter, save ? "save" : "open"};
        return "/data/out.nws";
    }
    QString AskFolder(QWidget*, const QString& prompt, const QString&) override {
        asked = {prompt};
        return "/data/logs";
    }
    QStringList asked;
};

TEST_F(StationSheetTest, BrowseAsksWithTheTitleAndFilterOfItsField) {
    FakePrompter prompter;
    PathPrompter* previous = SetPathPrompter(&prompter);
    auto sheet = Open(*station);
    test::Click(sheet.get(), "networkFileBrowse");
    EXPECT_EQ(prompter.asked, QStringList({"Weather station network access output file",
                                           "Network Weather Station Files (*.nws);;All Files (*.*)", "save"}));
    EXPECT_EQ(test::TextOf(sheet.get(), "networkFile"), "/data/out.nws");
    test::Click(sheet.get(), "logFolderBrowse");
    EXPECT_EQ(prompter.asked, QStringList({"Select a folder for the logfile:"}));
    SetPathPrompter(previous);

    EXPECT_EQ(QtFileFilter("HTML Files (*.htm;*.html)|*.htm; *.html|All Files (*.*)|*.*||"),
              "HTML Files (*.htm *.html);;All Files (*.*)");
}

TEST_F(StationSheetTest, NewMonitoringSystemOffersEveryKind) {
    test::WhenModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "New Monitoring System");
        auto* type = test::Find<QComboBox>(dialog, "type");
        EXPECT_EQ(type->count(), 15);
        test::Choose(dialog, "type", "File");
        test::ClickOk(dialog);
    });
    EXPECT_EQ(ChooseStationType(nullptr, &ui), 12);
    test::WhenModal([](QWidget* dialog) { test::ClickCancel(dialog); });
    EXPECT_EQ(ChooseStationType(nullptr, &ui), -1);
}

TEST_F(StationSheetTest, Screenshots) {
    station->alarms.push_back(std::make_unique<Alarm>());
    station->alarms[0]->name = "Frost";
    auto sheet = Open(*station);
    SelectTab(*sheet, "Logging");
    test::SaveScreenshot(*sheet, "sheet-station-logging.png");
    SelectTab(*sheet, "Alarms");
    test::SaveScreenshot(*sheet, "sheet-station-alarms.png");
    auto alarm = MakeAlarmSheet(nullptr, *station->alarms[0], *station, &ui);
    alarm->show();
    test::SaveScreenshot(*alarm, "sheet-alarm.png");
}

}  // namespace
}  // namespace svu
