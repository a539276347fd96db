#include <filesystem>

#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "pages/PagesTestSupport.h"
#include "pages/Sheets.h"

namespace svu {
namespace {

class WebOutputSheetTest : public ::testing::Test {
protected:
    bool Enabled(QWidget* sheet, const char* name) { return test::Find<QWidget>(sheet, name)->isEnabled(); }

    test::TempDir dir;
    Settings settings{dir.Path().string()};
    test::RecordingUserInterface ui;
};

TEST_F(WebOutputSheetTest, FtpFieldsAreEnabledOnlyWhenTheyApply) {
    auto sheet = MakeWebOutputSheet(nullptr, settings, &ui);
    sheet->show();
    EXPECT_EQ(test::TextOf(sheet.get(), "interval"), "60");
    for (const char* name : {"server", "remoteFilename", "username", "password", "preConfig", "useProxy", "proxy"}) {
        EXPECT_FALSE(Enabled(sheet.get(), name)) << name;
    }
    test::Find<QAbstractButton>(sheet.get(), "ftp")->setChecked(true);
    EXPECT_TRUE(Enabled(sheet.get(), "server"));
    EXPECT_TRUE(Enabled(sheet.get(), "preConfig"));
    EXPECT_FALSE(Enabled(sheet.get(), "useProxy"));  // preconfigured access is the default
    test::Find<QAbstractButton>(sheet.get(), "preConfig")->setChecked(false);
    EXPECT_TRUE(Enabled(sheet.get(), "useProxy"));
    EXPECT_FALSE(Enabled(sheet.get(), "proxy"));
    test::Find<QAbstractButton>(sheet.get(), "useProxy")->setChecked(true);
    EXPECT_TRUE(Enabled(sheet.get(), "proxy"));
    test::SaveScreenshot(*sheet, "sheet-web-output.png");
}

TEST_F(WebOutputSheetTest, OkWritesTheWebOutputKeysAndCancelWritesNothing) {
    auto cancelled = MakeWebOutputSheet(nullptr, settings, &ui);
    cancelled->show();
    test::Type(cancelled.get(), "server", "ftp.example.org");
    test::ClickCancel(cancelled.get());
    EXPECT_FALSE(std::filesystem::exists(settings.SettingsPath()));

    auto sheet = MakeWebOutputSheet(nullptr, settings, &ui);
    sheet->show();
    test::Type(sheet.get(), "interval", "3601");
    test::ClickOk(sheet.get());
    EXPECT_EQ(ui.Messages().back().text, "Please enter an integer between 1 and 3600.");
    // The spin arrows keep the count inside its range.
    test::Find<QWidget>(sheet.get(), "intervalBox")->findChildren<QAbstractButton*>().at(0)->click();
    EXPECT_EQ(test::TextOf(sheet.get(), "interval"), "3600");
    test::Type(sheet.get(), "interval", "300");
    test::Find<QAbstractButton>(sheet.get(), "active")->setChecked(true);
    test::Find<QAbstractButton>(sheet.get(), "ftp")->setChecked(true);
    test::Type(sheet.get(), "template", "/web/page.htm");
    test::Type(sheet.get(), "server", "ftp.example.org");
    test::Type(sheet.get(), "password", "secret");
    test::ClickOk(sheet.get());

    EXPECT_EQ(settings.GetSettingInt(kSectionWebOutput, kKeyWebInterval, 0), 300);
    EXPECT_EQ(settings.GetSettingInt(kSectionWebOutput, kKeyWebActive, 0), 1);
    EXPECT_EQ(settings.GetSettingInt(kSectionWebOutput, kKeyWebFtp, 0), 1);
    EXPECT_EQ(settings.GetSettingInt(kSectionWebOutput, kKeyWebPreConfig, 0), 1);
    EXPECT_EQ(settings.GetSettingString(kSectionWebOutput, kKeyWebTemplate, ""), "/web/page.htm");
    EXPECT_EQ(settings.GetSettingString(kSectionWebOutput, kKeyWebServer, ""), "ftp.example.org");
    EXPECT_EQ(settings.GetSettingString(kSectionWebOutput, kKeyWebPassword, ""), "secret");
}

}  // namespace
}  // namespace svu
