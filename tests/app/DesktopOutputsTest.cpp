// The desktop program's outputs: the upload progress texts worked out from a scripted run of
// reports, the progress dialog's cancel, and the frame handing alarm e-mail and the web page's
// upload to real servers on 127.0.0.1 (skipped when the Python servers are not installed).

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <cstdlib>
#include <filesystem>

#include "app/AppTestSupport.h"
#include "app/CFTPTransferDlg.h"
#include "app/CMainFrame.h"
#include "app/CStratavueApp.h"
#include "app/DesktopOutputs.h"
#include "app/FtpProgressText.h"
#include "e2e/TestServer.h"
#include "framework/Clock.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "outputs/WebOutput.h"
#include "runtime/Runtime.h"
#include "stations/Alarm.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

namespace fs = std::filesystem;
using test::HavePython;
using test::ReadFileBytes;
using test::ServeUntil;
using test::TestServer;
using test::WriteFileBytes;
using test::kPython;

TEST(FtpProgressTexts, AScriptedUploadGivesTheTextsOfEachStep) {
    FtpProgressTexts t;
    t.Start("www/index.htm", "127.0.0.1:2121", 0);
    EXPECT_EQ(t.Caption(), "File Upload");
    EXPECT_EQ(t.Connection(), "www/index.htm to 127.0.0.1:2121");
    EXPECT_EQ(t.Percent(), -1);
    t.Connecting("127.0.0.1");
    EXPECT_EQ(t.Status(), "Connecting to 127.0.0.1");
    t.Connected("127.0.0.1");
    EXPECT_EQ(t.Status(), "Connected to 127.0.0.1");

    // 10 KB in 1 KB blocks; the rate and time left are counted from the first block.
    EXPECT_TRUE(t.Progress(1024, 10240, 100));
    EXPECT_EQ(t.Status(), "Uploading the file");
    EXPECT_EQ(t.Caption(), "10% of www/index.htm Completed");
    EXPECT_EQ(t.Rate(), "");
    EXPECT_TRUE(t.Progress(2048, 10240, 600));
    EXPECT_EQ(t.Caption(), "20% of www/index.htm Completed");
    EXPECT_EQ(t.Rate(), "");                     // not a second yet
    EXPECT_FALSE(t.Progress(2100, 10240, 700));  // same percentage, no rate due: nothing to redraw
    EXPECT_TRUE(t.Progress(3072, 10240, 1100));
    EXPECT_EQ(t.Rate(), "3.00 KB/Sec");  // 3072 bytes in 1000 ms
    // 1000 ms for 3072 bytes leaves 7168 bytes: 2.33 s, cut to 2.
    EXPECT_EQ(t.TimeLeft(), "2 sec (3.0 KB of 10.0 KB copied)");
    // The next rate counts only what went since the last one.
    EXPECT_TRUE(t.Progress(3584, 10240, 2100));
    EXPECT_EQ(t.Rate(), "512 Bytes/Sec");
    EXPECT_EQ(t.Percent(), 35);
    t.Aborting();
    EXPECT_EQ(t.Status(), "Aborting transfer");

    // A new upload starts from nothing; an empty file shows no percentage at all.
    t.Start("a.htm", "host", 5000);
    EXPECT_EQ(t.Rate(), "");
    EXPECT_TRUE(t.Progress(0, 0, 5000));
    EXPECT_EQ(t.Percent(), -1);
    EXPECT_EQ(t.Caption(), "File Upload");
}

TEST(FtpProgressTexts, SizesTimesAndRatesChangeUnitAtTheirBounds) {
    EXPECT_EQ(FtpSizeText(1023), "1023 Bytes");
    EXPECT_EQ(FtpSizeText(1024), "1.0 KB");
    EXPECT_EQ(FtpSizeText(1048575), "1024.0 KB");
    EXPECT_EQ(FtpSizeText(1048576), "1.00 MB");
    EXPECT_EQ(FtpTimeText(59), "59 sec");
    EXPECT_EQ(FtpTimeText(120), "2 min");
    EXPECT_EQ(FtpTimeText(125), "2 min 5 sec");
    EXPECT_EQ(FtpRateText(12.4 * 1024), "12 KB/Sec");
    EXPECT_EQ(FtpRateText(2.5 * 1024), "2.50 KB/Sec");
    EXPECT_EQ(FtpRateText(1024), "1.00 KB/Sec");
    EXPECT_EQ(FtpRateText(1023), "1023 Bytes/Sec");
}

TEST(FtpTransferDialog, CancelShowsAbortingAndWaitsForTheUploadToEnd) {
    int cancels = 0;
    CFTPTransferDlg dialog(nullptr, [&] { ++cancels; });
    dialog.Start("index.htm", "127.0.0.1", 0);
    dialog.Progress(512, 1024, 10);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "50% of index.htm Completed");
    EXPECT_EQ(dialog.Bar()->value(), 50);

    if (const char* shots = std::getenv("SVU_SCREENSHOT_DIR")) {
        CFTPTransferDlg picture(nullptr, {});
        picture.Start("www/index.htm", "ftp.example.org", 0);
        picture.Connected("ftp.example.org");
        picture.Progress(1024, 1572864, 100);
        picture.Progress(655360, 1572864, 2100);
        picture.adjustSize();
        picture.grab().save(QString::fromUtf8(shots) + "/ftp-progress.png");
    }

    dialog.CancelButton()->click();
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(dialog.StatusLabel()->text(), "Aborting transfer");
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());
    EXPECT_TRUE(dialog.isVisible());  // until the upload has stopped
    dialog.close();                   // closing the window is a cancel too, asked once
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(dialog.isVisible());
    dialog.Progress(768, 1024, 20);  // a block already on its way
    EXPECT_EQ(dialog.StatusLabel()->text(), "Aborting transfer");
    dialog.Finish();
    EXPECT_FALSE(dialog.isVisible());
}

// The frame on a program folder with one idle station and the "Mail" and "WebOutput" sections
// given by each test.
class FrameOutputs : public ::testing::Test {
protected:
    FrameOutputs() {
        StationList list;
        auto replay = std::make_unique<WSFile>("Replay");
        replay->inputFile = dir.File("none.log");
        list.push_back(std::move(replay));
        SaveStationFile(settings.StationFilePath(), list);
    }
    std::unique_ptr<CMainFrame> MakeFrame() { return test::MakeFrame(settings, recent); }

    test::TempDir dir;
    Settings settings{dir.Path().string()};
    RecentFileList recent;
};

TEST_F(FrameOutputs, AnAlarmWithRecipientsIsMailedThroughTheFramesSender) {
    if (!HavePython("aiosmtpd")) {
        GTEST_SKIP() << "python3-aiosmtpd is not installed";
    }
    fs::create_directories(dir.File("mail"));
    TestServer server({kPython, test::SupportScript("smtp_server.py"), dir.File("mail")});
    ASSERT_GT(server.Port(), 0);
    settings.WriteSettingString("Mail", "Server", "127.0.0.1");
    settings.WriteSettingInt("Mail", "Port", server.Port());
    settings.WriteSettingString("Mail", "From", "station@example.org");
    auto frame = MakeFrame();
    MailSender* sender = frame->GetRuntime().Mail();
    ASSERT_NE(sender, nullptr);

    Alarm alarm;
    alarm.name = "Severe gust";
    alarm.kind = 1;
    alarm.recipients = "ops@example.org; duty@example.org";
    ASSERT_TRUE(alarm.Notify("Hilltop", SystemClock().Now(), sender));
    frame->Outputs().Outbox().WaitIdle();
    EXPECT_EQ(frame->Outputs().Outbox().Sent(), 1);
    ASSERT_TRUE(ServeUntil([&] { return fs::exists(dir.File("mail/1.txt")); }));
    EXPECT_NE(ReadFileBytes(dir.File("mail/1.txt")).find("RCPT ops@example.org\nRCPT duty@example.org\n"),
              std::string::npos);

    // Settings changed in the mail page are taken up by the same sender.
    settings.WriteSettingInt("Mail", "Port", 1);  // nothing listens there
    frame->Outputs().ReloadSettings();
    sender->Send(MailRequest{{"ops@example.org"}, "subject", "body"});
    frame->Outputs().Outbox().WaitIdle();
    EXPECT_EQ(frame->Outputs().Outbox().FailedCount(), 1);
    EXPECT_NE(ReadFileBytes(dir.File("error.txt")).find("could not be sent through 127.0.0.1"), std::string::npos);
}

// No station: web pages hold only fixed text.
class NoStations : public WebValueSource {
public:
    std::size_t StationCount() const override { return 0; }
    std::string StationName(std::size_t) const override { return {}; }
    void CopyChannelNames(std::size_t, std::vector<std::string>&) const override {}
    void CopyValue(std::size_t, std::size_t, std::string&) const override {}
};

TEST_F(FrameOutputs, TheWebPageGoesUpByFtpAndAFailureIsShownOnce) {
    if (!HavePython("pyftpdlib")) {
        GTEST_SKIP() << "python3-pyftpdlib is not installed";
    }
    fs::create_directories(dir.File("srv"));
    TestServer server({kPython, test::SupportScript("ftp_server.py"), dir.File("srv")});
    ASSERT_GT(server.Port(), 0);
    const std::string page(300000, 'x');  // big enough to be sent in many blocks
    WriteFileBytes(dir.File("page.tpl"), page);
    settings.WriteSettingString("WebOutput", "Template", dir.File("page.tpl"));
    settings.WriteSettingString("WebOutput", "Output", dir.File("page.htm"));
    settings.WriteSettingInt("WebOutput", "FTP", 1);
    settings.WriteSettingString("WebOutput", "Server", "127.0.0.1:" + std::to_string(server.Port()));
    settings.WriteSettingString("WebOutput", "RemoteFilename", "index.htm");
    auto frame = MakeFrame();
    frame->show();
    WebOutput& web = frame->GetRuntime().Web();
    web.Config() = LoadWebOutputSettings(settings);
    NoStations source;

    // Counts the uploads the window has dealt with, and what the progress window showed as each
    // ended (it goes away right after).
    int finished = 0;
    QString titleAtEnd;
    QObject::connect(
        &frame->Outputs(), &DesktopOutputs::uploadFinished, frame.get(),
        [&] {
            ++finished;
            CFTPTransferDlg* dialog = frame->Outputs().ProgressDialog();
            titleAtEnd = dialog != nullptr ? dialog->windowTitle() : QString();
        },
        Qt::QueuedConnection);
    ASSERT_EQ(web.ProduceWebPage(SystemClock().Now(), source), WebOutputResult::Written);
    ASSERT_TRUE(ServeUntil([&] { return finished == 1; }));
    EXPECT_EQ(frame->Outputs().Publisher().Completed(), 1);
    EXPECT_EQ(titleAtEnd, "100% of index.htm Completed");
    ASSERT_TRUE(ServeUntil([&] { return frame->Outputs().ProgressDialog() == nullptr; }));  // closed and gone
    EXPECT_EQ(ReadFileBytes(dir.File("srv/index.htm")).size(), page.size() + 2);            // lines end in CR LF
    EXPECT_EQ(frame->Outputs().FailureBox(), nullptr);

    // The server goes away: one box says so, and the next failure of the same kind adds nothing.
    server.Stop();
    for (int i = 1; i <= 2; ++i) {
        ASSERT_EQ(web.ProduceWebPage(SystemClock().Now(), source), WebOutputResult::Written);
        ASSERT_TRUE(ServeUntil([&] { return finished == 1 + i; }));
        EXPECT_EQ(frame->Outputs().Publisher().Failed(), i);
        ASSERT_NE(frame->Outputs().FailureBox(), nullptr);
    }
    EXPECT_TRUE(frame->Outputs().FailureBox()->text().startsWith("An error occurred connecting to the server"))
        << frame->Outputs().FailureBox()->text().toStdString();
    const std::string errors = ReadFileBytes(dir.File("error.txt"));
    const size_t first = errors.find("FTP upload to 127.0.0.1");
    ASSERT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find("FTP upload to 127.0.0.1", first + 1), std::string::npos) << errors;
}

}  // namespace
}  // namespace svu
