// The generic serial station's sheet: "Advanced..." opens the script dialog, which keeps the four
// scripts apart and opens the channel list; channel edits reach the derived channels and alarms.

#include <QPlainTextEdit>
#include <QRadioButton>

#include "derived/ProcessedDew.h"
#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "pages/GenericSerialPages.h"
#include "pages/PagesTestSupport.h"
#include "pages/Sheets.h"
#include "stations/Alarm.h"
#include "stations/WSGenericSerial.h"

namespace svu {
namespace {

QRadioButton* Option(QWidget* dialog, const char* group, int position) {
    auto* box = test::Find<QWidget>(dialog, group);
    return box != nullptr ? box->findChild<QRadioButton*>(QStringLiteral("radio%1").arg(position)) : nullptr;
}

class GenericSerialSheetTest : public test::StationSheetFixture {
protected:
    GenericSerialSheetTest() {
        station.channelNames = {"Temp", "Humidity", "Wind"};
        station.rawChannelCount = station.channelCount = 3;
        station.realtimeScript = "send \"R\\r\"\r\nget 10\r\n";
        station.connectScript = "wait 100\r\n";
        station.ResetValues();
        station.FitTables();
    }

    WSGenericSerial station{"Generic"};
};

TEST_F(GenericSerialSheetTest, ScriptDialogEditsEachScriptAndTheConnection) {
    auto sheet = Open(station);
    EXPECT_EQ(sheet->windowTitle(), "Properties - Generic serial");
    EXPECT_EQ(test::TabNames(*sheet),
              QStringList({"Name", "Network", "Alarms", "Logging", "Processed data", "Comms", "Modem"}));

    test::WhenModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Scripts - Generic Serial");
        auto* edit = test::Find<QPlainTextEdit>(dialog, "script");
        // The real-time script is shown first, with the line ends of the edit box.
        EXPECT_EQ(edit->toPlainText(), "send \"R\\r\"\nget 10\n");
        edit->setPlainText("send \"Q\\r\"\nget \"\\r\\n\"\nmask \"x,x\"");
        Option(dialog, "operation", 0)->click();
        EXPECT_EQ(edit->toPlainText(), "wait 100\n");
        edit->setPlainText("flush");
        Option(dialog, "operation", 3)->click();
        EXPECT_EQ(edit->toPlainText(), "");
        edit->setPlainText("send \"T\\r\"");
        Option(dialog, "connection", 1)->click();
        Option(dialog, "operation", 2)->click();
        EXPECT_EQ(edit->toPlainText(), "send \"Q\\r\"\nget \"\\r\\n\"\nmask \"x,x\"");
        test::SaveScreenshot(*dialog, "dialog-generic-scripts.png");
        test::ClickOk(dialog);
    });
    test::Click(sheet.get(), "advanced");
    EXPECT_EQ(station.realtimeScript, "send \"Q\\r\"\r\nget \"\\r\\n\"\r\nmask \"x,x\"");
    EXPECT_EQ(station.connectScript, "flush");
    EXPECT_EQ(station.clockScript, "send \"T\\r\"");
    EXPECT_EQ(station.disconnectScript, "");
    EXPECT_EQ(station.connection, WSGenericSerial::kModem);
}

TEST_F(GenericSerialSheetTest, ChannelListAddsDeletesAndRenamesOnOk) {
    auto dew = std::make_unique<ProcessedDew>();
    dew->name = "Dew";
    dew->vapourChannel = 1;
    station.derived.push_back(std::move(dew));
    station.channelNames.push_back("Dew");
    station.channelCount = 4;
    station.ResetValues();
    station.FitTables();
    auto alarm = std::make_unique<Alarm>();
    alarm->channel = 3;  // the dew point
    station.alarms.push_back(std::move(alarm));

    auto sheet = MakeGenericChannelSheet(nullptr, station, context);
    sheet->show();
    EXPECT_EQ(sheet->windowTitle(), "Channel details - Generic serial");
    auto* list = test::Find<QListWidget>(sheet.get(), "channelList");
    ASSERT_EQ(list->count(), 3);
    list->setCurrentRow(2);
    test::Click(sheet.get(), "delete");  // Wind
    test::Type(sheet.get(), "editText", "Pressure");
    test::Click(sheet.get(), "add");
    list->setCurrentRow(0);
    test::Type(sheet.get(), "editText", "Air temperature");
    test::Click(sheet.get(), "edit");
    EXPECT_EQ(station.rawChannelCount, 3);  // nothing changes before OK
    test::SaveScreenshot(*sheet, "dialog-generic-channels.png");
    test::ClickOk(sheet.get());

    EXPECT_EQ(station.rawChannelCount, 3);
    EXPECT_EQ(station.channelCount, 4);
    EXPECT_EQ(station.channelNames,
              (std::vector<std::string>{"Air temperature", "Humidity", "Pressure", "Dew"}));
    EXPECT_EQ(station.channelTypes.size(), 4u);
    EXPECT_EQ(station.values.size(), 4u);
    const auto& kept = static_cast<const ProcessedDew&>(*station.derived[0]);
    EXPECT_EQ(kept.vapourChannel, 1);
    EXPECT_EQ(station.alarms[0]->channel, 3);

    // Deleting a channel a derived channel reads leaves it without one.
    auto again = MakeGenericChannelSheet(nullptr, station, context);
    again->show();
    test::Find<QListWidget>(again.get(), "channelList")->setCurrentRow(1);
    test::Click(again.get(), "delete");
    test::ClickOk(again.get());
    EXPECT_EQ(kept.vapourChannel, -1);
    EXPECT_EQ(station.alarms[0]->channel, 2);
}

}  // namespace
}  // namespace svu
