// The "Mail" dialog: it shows and writes the "Mail" section, and its test button sends through the
// outbox with what the page holds and says how it went (against the tests' SMTP server).

#include <QLabel>
#include <QThread>
#include <cstdlib>

#include "e2e/TestServer.h"
#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "pages/MailSettingsPage.h"
#include "pages/PagesTestSupport.h"
#include "stations/StationReports.h"

namespace svu {
namespace {

namespace fs = std::filesystem;

class MailSettingsSheetTest : public ::testing::Test {
protected:
    // A failed test message is also written to error.txt: here, not in the working folder.
    MailSettingsSheetTest() : previous_(ReportFolder()) { SetReportFolder(dir.Path().string() + "/"); }
    ~MailSettingsSheetTest() override { SetReportFolder(previous_); }
    QString ResultText(QWidget* sheet) { return test::Find<QLabel>(sheet, "mailTestResult")->text(); }
    bool WaitForResult(QWidget* sheet) {
        for (int i = 0; i < 4000 && ResultText(sheet).startsWith("Sending"); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(5);
        }
        return !ResultText(sheet).startsWith("Sending");
    }

    test::TempDir dir;
    Settings settings{dir.Path().string()};
    test::RecordingUserInterface ui;
    std::string previous_;
};

TEST_F(MailSettingsSheetTest, ShowsAndWritesTheMailSection) {
    settings.WriteSettingString("Mail", "Server", "smtp.example.org");
    settings.WriteSettingInt("Mail", "Port", 2525);
    settings.WriteSettingString("Mail", "TLS", "starttls");
    settings.WriteSettingString("Mail", "User", "station");
    settings.WriteSettingString("Mail", "Password", "old");
    settings.WriteSettingString("Mail", "From", "station@example.org");
    auto sheet = MakeMailSettingsSheet(nullptr, settings, SystemClock(), &ui);
    sheet->show();
    EXPECT_EQ(test::TextOf(sheet.get(), "mailServer"), "smtp.example.org");
    EXPECT_EQ(test::TextOf(sheet.get(), "mailPort"), "2525");
    EXPECT_EQ(test::Find<QComboBox>(sheet.get(), "mailTls")->currentText(), "STARTTLS");
    EXPECT_EQ(test::TextOf(sheet.get(), "mailFrom"), "station@example.org");
    if (const char* shots = std::getenv("SVU_SCREENSHOT_DIR")) {
        sheet->adjustSize();
        sheet->grab().save(QString::fromUtf8(shots) + "/mail-settings.png");
    }

    test::Type(sheet.get(), "mailPort", "70000");
    test::ClickOk(sheet.get());
    EXPECT_EQ(ui.Messages().back().text, "Please enter an integer between 0 and 65535.");
    test::Type(sheet.get(), "mailPort", "465");
    test::Choose(sheet.get(), "mailTls", "TLS");
    test::Type(sheet.get(), "mailPassword", "new secret");
    test::ClickOk(sheet.get());
    EXPECT_EQ(settings.GetSettingString("Mail", "Server", ""), "smtp.example.org");
    EXPECT_EQ(settings.GetSettingInt("Mail", "Port", 0), 465);
    EXPECT_EQ(settings.GetSettingString("Mail", "TLS", ""), "TLS");
    EXPECT_EQ(settings.GetSettingString("Mail", "User", ""), "station");
    EXPECT_EQ(settings.GetSettingString("Mail", "Password", ""), "new secret");

    // Cancel keeps the section as it was.
    auto cancelled = MakeMailSettingsSheet(nullptr, settings, SystemClock(), &ui);
    cancelled->show();
    test::Choose(cancelled.get(), "mailTls", "None");
    test::ClickCancel(cancelled.get());
    EXPECT_EQ(settings.GetSettingString("Mail", "TLS", ""), "TLS");
}

TEST_F(MailSettingsSheetTest, TheTestButtonSendsWithTheSettingsOnThePage) {
    auto sheet = MakeMailSettingsSheet(nullptr, settings, SystemClock(), &ui);
    sheet->show();
    test::Click(sheet.get(), "mailTest");
    EXPECT_EQ(ResultText(sheet.get()), "Enter the server and the From address first.");

    // Nothing listens on port 1: the failure is shown, and the button can be used again.
    test::Type(sheet.get(), "mailServer", "127.0.0.1");
    test::Type(sheet.get(), "mailPort", "1");
    test::Type(sheet.get(), "mailFrom", "station@example.org");
    test::Click(sheet.get(), "mailTest");
    ASSERT_TRUE(WaitForResult(sheet.get()));
    EXPECT_TRUE(ResultText(sheet.get()).startsWith("The test message was not sent: "))
        << ResultText(sheet.get()).toStdString();
    EXPECT_TRUE(test::Find<QWidget>(sheet.get(), "mailTest")->isEnabled());

    const char* python = "/usr/bin/python3";
    if (std::system("/usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null") != 0) {
        GTEST_SKIP() << "python3-aiosmtpd is not installed";
    }
    fs::create_directories(dir.File("mail"));
    test::TestServer server({python, test::SupportScript("smtp_server.py"), dir.File("mail")});
    ASSERT_GT(server.Port(), 0);
    test::Type(sheet.get(), "mailPort", QString::number(server.Port()));
    test::Click(sheet.get(), "mailTest");
    ASSERT_TRUE(WaitForResult(sheet.get()));
    EXPECT_EQ(ResultText(sheet.get()), "Test message sent to station@example.org.");
    for (int i = 0; i < 400 && !fs::exists(dir.File("mail/1.txt")); ++i) {
        QThread::msleep(5);
    }
    const std::string got = test::ReadFileBytes(dir.File("mail/1.txt"));
    EXPECT_NE(got.find("RCPT station@example.org\n"), std::string::npos) << got;
    EXPECT_FALSE(fs::exists(settings.SettingsPath()));  // nothing saved by a test message
}

}  // namespace
}  // namespace svu
