#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "framework/RecordingUserInterface.h"
#include "loggers/WS310320.h"
#include "loggers/WSNDR.h"
#include "loggers/WSParticleCounter.h"
#include "loggers/WSSpeedAndDirection.h"
#include "loggers/WSTriscan.h"
#include "pages/PagesTestSupport.h"
#include "pages/PropertyPage.h"
#include "pages/Sheets.h"

namespace svu {
namespace {

class LoggerSheetTest : public ::testing::Test {
protected:
    std::unique_ptr<PropertySheet> Open(WeatherStation& s) {
        context.ui = &ui;
        context.clock = &clock;
        auto sheet = MakeStationSheet(nullptr, s, true, context);
        sheet->show();
        return sheet;
    }
    void SelectTab(PropertySheet& sheet, const QString& name) { sheet.Tabs()->setCurrentWidget(sheet.FindPage(name)); }
    // Renames the selected function through the "..." dialog.
    void Rename(PropertySheet& sheet, const QString& name) {
        test::WhenModal([name](QWidget* dialog) {
            test::Type(dialog, "functionName", name);
            test::ClickOk(dialog);
        });
        test::Click(&sheet, "editFunction");
    }

    test::RecordingUserInterface ui;
    ManualClock clock{FromLocal(2026, 12, 5, 10, 7, 30)};
    StationPagesContext context;
};

TEST_F(LoggerSheetTest, LineInstrumentsHaveTheirCommsPage) {
    WSSpeedAndDirection wind("Mast");
    WSParticleCounter dust("Dust");
    WSTriscan pier("Pier");
    WSNDR logger("Logger");
    const std::pair<LineInstrumentStation*, const char*> kinds[] = {{&wind, "sheet-wind-comms.png"},
                                                                     {&dust, "sheet-particles-comms.png"},
                                                                     {&pier, "sheet-triscan-comms.png"},
                                                                     {&logger, "sheet-ndr-comms.png"}};
    for (const auto& [station, screenshot] : kinds) {
        auto sheet = Open(*station);
        QStringList tabs{"Name", "Network", "Alarms", "Logging", "Processed data", "Comms"};
        if (station == &logger) {
            tabs << "Logger";  // its button opens the logger's own set-up
        }
        EXPECT_EQ(test::TabNames(*sheet), tabs);
        SelectTab(*sheet, "Comms");
        test::SaveScreenshot(*sheet, screenshot);  // with the kind's own speed
        test::Choose(sheet.get(), "baudRate", "19200");
        test::ClickOk(sheet.get());
        EXPECT_EQ(station->baudRate, 19200);
    }
}

TEST_F(LoggerSheetTest, SoundLevelSpecialPageEditsModeAndFunctionNames) {
    WS310320 meter("Noise");
    auto sheet = Open(meter);
    EXPECT_EQ(sheet->windowTitle(), "Properties - WXR 310/320");
    EXPECT_EQ(test::TabNames(*sheet),
              (QStringList{"Name", "Network", "Alarms", "Logging", "Processed data", "Comms", "Special"}));
    SelectTab(*sheet, "Special");
    auto* periods = test::Find<QListWidget>(sheet.get(), "periodFunctions");
    auto* profiles = test::Find<QListWidget>(sheet.get(), "profileFunctions");
    ASSERT_TRUE(periods != nullptr && profiles != nullptr);
    EXPECT_EQ(periods->count(), 9);
    EXPECT_EQ(periods->item(0)->text(), "Overload");
    EXPECT_FALSE(periods->isEnabled());  // only in online mode

    test::Find<QCheckBox>(sheet.get(), "onlineMode")->click();
    EXPECT_TRUE(periods->isEnabled());
    periods->setCurrentRow(0);
    Rename(*sheet, "LAeq");
    EXPECT_EQ(periods->item(0)->text(), "LAeq");
    periods->setCurrentRow(1);
    Rename(*sheet, "laeq");  // already used in its own list
    EXPECT_EQ(ui.Messages().back().text, "Specified function name already in use.");
    EXPECT_EQ(periods->item(1)->text(), "Battery low");
    profiles->setCurrentRow(0);
    EXPECT_EQ(periods->currentRow(), -1);  // one selection across both lists
    Rename(*sheet, "LAEQ");
    EXPECT_EQ(ui.Messages().back().text, "Profile function name cannot be the same as period function name.");
    Rename(*sheet, "LAF");
    EXPECT_EQ(profiles->item(0)->text(), "LAF");
    test::SaveScreenshot(*sheet, "sheet-slm-options.png");

    test::ClickOk(sheet.get());
    EXPECT_EQ(meter.onlineMode, 1);
    EXPECT_EQ(meter.channelNames[0], "LAeq");
    EXPECT_EQ(meter.channelNames[9], "LAF");

    // Back in standard mode the channels take the meter's own names again.
    auto again = Open(meter);
    SelectTab(*again, "Special");
    test::Find<QCheckBox>(again.get(), "onlineMode")->click();
    test::ClickOk(again.get());
    EXPECT_EQ(meter.onlineMode, 0);
    EXPECT_EQ(meter.channelNames[0], "Overload");
    EXPECT_EQ(meter.channelNames[5], "SPL");
}

}  // namespace
}  // namespace svu
