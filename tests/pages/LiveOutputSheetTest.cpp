#include <QTabWidget>

#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "outputs/LiveSettings.h"
#include "outputs/WebServerSettings.h"
#include "pages/LiveOutputPages.h"
#include "pages/PagesTestSupport.h"

namespace svu {
namespace {

class LiveOutputSheetTest : public ::testing::Test {
protected:
    bool Enabled(QWidget* sheet, const char* name) { return test::Find<QWidget>(sheet, name)->isEnabled(); }

    test::TempDir dir;
    Settings settings{dir.Path().string()};
    test::RecordingUserInterface ui;
};

TEST_F(LiveOutputSheetTest, FieldsFollowTheirSwitchesAndOkWritesEverySection) {
    auto sheet = MakeLiveOutputSheet(nullptr, settings, &ui);
    sheet->show();
    EXPECT_EQ(test::TabNames(*sheet), (QStringList{"Live values", "MQTT", "Web server"}));
    EXPECT_FALSE(Enabled(sheet.get(), "webToken"));
    EXPECT_FALSE(Enabled(sheet.get(), "livePort"));
    EXPECT_FALSE(Enabled(sheet.get(), "mqttHost"));
    EXPECT_EQ(test::TextOf(sheet.get(), "mqttPort"), "1883");
    EXPECT_EQ(test::TextOf(sheet.get(), "mqttPrefix"), "stratavue");
    test::Find<QAbstractButton>(sheet.get(), "liveActive")->setChecked(true);
    test::Find<QAbstractButton>(sheet.get(), "mqttActive")->setChecked(true);
    EXPECT_TRUE(Enabled(sheet.get(), "livePort"));
    EXPECT_TRUE(Enabled(sheet.get(), "mqttHost"));
    EXPECT_FALSE(Enabled(sheet.get(), "mqttCaFile"));
    EXPECT_FALSE(Enabled(sheet.get(), "mqttDiscoveryPrefix"));
    test::Find<QAbstractButton>(sheet.get(), "mqttHomeAssistant")->setChecked(true);
    EXPECT_TRUE(Enabled(sheet.get(), "mqttDiscoveryPrefix"));
    sheet->findChild<QTabWidget*>()->setCurrentIndex(1);
    test::SaveScreenshot(*sheet, "sheet-live-values-mqtt.png");
    sheet->findChild<QTabWidget*>()->setCurrentIndex(0);

    test::Type(sheet.get(), "livePort", "70000");
    test::ClickOk(sheet.get());
    EXPECT_EQ(ui.Messages().back().text, "Please enter an integer between 0 and 65535.");
    test::Type(sheet.get(), "livePort", "5020");
    test::Type(sheet.get(), "mqttHost", "broker.local");
    test::Type(sheet.get(), "mqttPassword", "secret");
    test::Find<QAbstractButton>(sheet.get(), "webActive")->setChecked(true);
    EXPECT_TRUE(Enabled(sheet.get(), "webToken"));
    test::Type(sheet.get(), "webAddress", "0.0.0.0");
    test::Type(sheet.get(), "webPort", "8181");
    test::Type(sheet.get(), "webToken", "s3cret");
    test::ClickOk(sheet.get());

    const LiveValuesSettings live = LoadLiveValuesSettings(settings);
    EXPECT_EQ(live.active, 1);
    EXPECT_EQ(live.port, 5020);
    const MqttSettings mqtt = LoadMqttSettings(settings);
    EXPECT_EQ(mqtt.active, 1);
    EXPECT_EQ(mqtt.host, "broker.local");
    EXPECT_EQ(mqtt.password, "secret");
    EXPECT_EQ(mqtt.homeAssistant, 1);
    EXPECT_EQ(mqtt.retain, 1);
    EXPECT_EQ(mqtt.discoveryPrefix, "homeassistant");
    const WebServerSettings web = LoadWebServerSettings(settings);
    EXPECT_EQ(web.active, 1);
    EXPECT_EQ(web.address, "0.0.0.0");
    EXPECT_EQ(web.port, 8181);
    EXPECT_EQ(web.token, "s3cret");
}

}  // namespace
}  // namespace svu
