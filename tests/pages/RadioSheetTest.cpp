// The "Radio Modem" pages of the two radio kinds: what they show and store, and the ranges they
// refuse to go beyond.

#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "framework/RecordingUserInterface.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "loggers/WSCalyraModem.h"
#include "loggers/WSCalyraWandDRadio.h"
#include "loggers/WSRadioModemVela.h"
#include "pages/PagesTestSupport.h"
#include "pages/PropertyPage.h"
#include "pages/Sheets.h"

namespace svu {
namespace {

class RadioSheetTest : public test::StationSheetFixture {
protected:
    std::unique_ptr<PropertySheet> OpenRadio(WeatherStation& s) { return Open(s, true, "Radio Modem"); }
};

TEST_F(RadioSheetTest, VelaRadioPageEditsTuningAndAddress) {
    WSRadioModemVela station("Dale");
    auto sheet = OpenRadio(station);
    EXPECT_EQ(test::TabNames(*sheet),
              (QStringList{"Name", "Network", "Alarms", "Logging", "Processed data", "Radio Modem"}));
    EXPECT_EQ(test::TextOf(sheet.get(), "frequency"), "458.525");
    EXPECT_EQ(sheet->findChild<QWidget*>("txAddress"), nullptr);  // always transmits on 0
    test::Type(sheet.get(), "frequency", "470");
    test::ClickOk(sheet.get());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Please enter a number between 458.52 and 460.97.");
    EXPECT_FLOAT_EQ(station.frequency, 458.525f);

    test::Type(sheet.get(), "frequency", "458.6");
    test::Type(sheet.get(), "rxAddress", "12");
    test::Choose(sheet.get(), "radioType", "Channel as two digits");
    test::Choose(sheet.get(), "baudRate", "1200");
    test::ClickOk(sheet.get());
    EXPECT_FLOAT_EQ(station.frequency, 458.6f);
    EXPECT_EQ(station.address, 12);
    EXPECT_EQ(station.radioType, 1);
    EXPECT_EQ(station.baudRate, 1200);
    EXPECT_EQ(VelaTuneCommand(station.frequency, station.radioType), "ATX04");
}

TEST_F(RadioSheetTest, WandDRadioPageKeepsTheChannelWithinOneTwentySeven) {
    WSCalyraWandDRadio station("Hill");
    auto sheet = OpenRadio(station);
    EXPECT_EQ(sheet->windowTitle(), "Properties - Calyra W&D radio");
    test::Type(sheet.get(), "radioChannel", "128");
    test::ClickOk(sheet.get());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Please enter an integer between 0 and 127.");
    test::Type(sheet.get(), "radioChannel", "127");
    test::ClickOk(sheet.get());
    EXPECT_EQ(station.radioChannel, 127);
}

// The logger kinds behind a radio and a modem: their link's page and the logger's set-up.
TEST_F(RadioSheetTest, LoggerKindsShowTheirLinkAndTheLoggerPage) {
    WSCalyraHarburyRadio radio("Ridge");
    auto sheet = OpenRadio(radio);
    EXPECT_EQ(sheet->windowTitle(), "Properties - Calyra Harbury radio");
    EXPECT_EQ(test::TabNames(*sheet),
              (QStringList{"Name", "Network", "Alarms", "Logging", "Processed data", "Radio Modem", "Logger"}));
    EXPECT_EQ(test::TextOf(sheet.get(), "txAddress"), "2");
    test::Type(sheet.get(), "txAddress", "34");
    test::Type(sheet.get(), "rxAddress", "12");
    test::ClickOk(sheet.get());
    EXPECT_EQ(radio.txAddress, 34);
    EXPECT_EQ(radio.address, 12);

    WSCalyraModem modem("Valley");
    auto modemSheet = MakeStationSheet(nullptr, modem, false, context);
    EXPECT_EQ(modemSheet->windowTitle(), "Properties - Calyra modem");
    EXPECT_EQ(test::TabNames(*modemSheet), (QStringList{"Name", "Network", "Alarms", "Logging", "Modem", "Logger"}));
}

}  // namespace
}  // namespace svu
