// The dial-up kinds' sheets: both end with the "Modem" page, and the Modem station, which works
// like a Direct station behind its modem, keeps the "Advanced..." pages of one.

#include <QComboBox>

#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "pages/PagesTestSupport.h"
#include "pages/Sheets.h"
#include "stations/WSModem.h"
#include "stations/WSModemVela.h"

namespace svu {
namespace {

using ModemSheet = test::StationSheetFixture;

TEST_F(ModemSheet, BothKindsEditTheirModemSettings) {
    WSModem valley("Valley");
    WSModemVela ridge("Ridge");
    for (WeatherStation* station : std::vector<WeatherStation*>{&valley, &ridge}) {
        auto sheet = Open(*station);
        EXPECT_EQ(test::TabNames(*sheet),
                  QStringList({"Name", "Network", "Alarms", "Logging", "Processed data", "Modem"}));
        EXPECT_NE(test::Find<QWidget>(sheet.get(), "advanced"), nullptr);
        test::Type(sheet.get(), "phoneNumber", "01632 960000");
        auto* modem = test::Find<QComboBox>(sheet.get(), "modemName");
        modem->setEditText("COM4");
        test::ClickOk(sheet.get());
    }
    EXPECT_EQ(valley.phoneNumber, "01632 960000");
    EXPECT_EQ(valley.modemName, "COM4");
    EXPECT_EQ(ridge.phoneNumber, "01632 960000");
    EXPECT_EQ(ridge.modemName, "COM4");
}

}  // namespace
}  // namespace svu
