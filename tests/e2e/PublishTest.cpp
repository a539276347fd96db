// FTP upload and alarm e-mail against real servers on 127.0.0.1 (pyftpdlib and aiosmtpd, run by
// /usr/bin/python3), in-process and through stratavue-cli run.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "e2e/ProgramSupport.h"
#include "e2e/RuntimeCliSupport.h"
#include "e2e/TestServer.h"
#include "framework/Clock.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "outputs/FtpPublisher.h"
#include "outputs/MailOutbox.h"
#include "platform/FtpUpload.h"
#include "stations/Alarm.h"

namespace svu {
namespace {

namespace fs = std::filesystem;
using test::HavePython;
using test::ReadFileBytes;
using test::SupportScript;
using test::TempDir;
using test::TestServer;
using test::WaitUntil;
using test::WriteFileBytes;
using test::kPython;

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        data[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
    }
    return data;
}

class FtpUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HavePython("pyftpdlib")) {
            GTEST_SKIP() << "python3-pyftpdlib is not installed";
        }
        fs::create_directories(root.File("srv/www"));
    }
    std::unique_ptr<TestServer> Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> argv{kPython, SupportScript("ftp_server.py"), root.File("srv")};
        argv.insert(argv.end(), extra.begin(), extra.end());
        auto server = std::make_unique<TestServer>(argv);
        EXPECT_GT(server->Port(), 0);
        return server;
    }
    FtpTarget Target(int port, const std::string& user = "", const std::string& password = "") const {
        return FtpTarget{"127.0.0.1:" + std::to_string(port), "www/index.html", user, password, ""};
    }
    TempDir root;
};

TEST_F(FtpUploadTest, UploadsWholeUnderTheFinalNameAndReplacesTheOld) {
    auto server = Start({"--user", "web", "--password", "secret"});
    const std::string data = Pattern(300 * 1024);
    WriteFileBytes(root.File("index.html"), data);
    WriteFileBytes(root.File("srv/www/index.html"), "old page");
    std::atomic<bool> abort{false};
    std::vector<FtpProgress> seen;
    const FtpResult r = UploadFile(root.File("index.html"), Target(server->Port(), "web", "secret"), abort,
                                   [&](const FtpProgress& p) { seen.push_back(p); });
    ASSERT_EQ(r.outcome, FtpResult::Outcome::Done) << r.message;
    EXPECT_EQ(ReadFileBytes(root.File("srv/www/index.html")), data);
    EXPECT_FALSE(fs::exists(root.File("srv/www/.index.html.uploading")));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().stage, FtpProgress::Stage::Connecting);
    EXPECT_EQ(seen.back().bytesSent, static_cast<int64_t>(data.size()));
    EXPECT_EQ(seen.back().bytesTotal, static_cast<int64_t>(data.size()));

    // An empty user name logs in anonymously; an empty file completes at once.
    auto anonymous = Start();
    WriteFileBytes(root.File("empty.html"), "");
    const FtpResult e = UploadFile(root.File("empty.html"), Target(anonymous->Port()), abort, {});
    ASSERT_EQ(e.outcome, FtpResult::Outcome::Done) << e.message;
    EXPECT_EQ(fs::file_size(root.File("srv/www/index.html")), 0u);
}

TEST_F(FtpUploadTest, FailuresAreReportedWithTheProgramsMessages) {
    auto server = Start({"--user", "web", "--password", "secret"});
    WriteFileBytes(root.File("index.html"), "page");
    std::atomic<bool> abort{false};
    const FtpResult wrong = UploadFile(root.File("index.html"), Target(server->Port(), "web", "guess"), abort, {});
    EXPECT_EQ(wrong.outcome, FtpResult::Outcome::Failed);
    EXPECT_EQ(wrong.message.rfind("An error occurred connecting to the server, Error:", 0), 0u) << wrong.message;

    const FtpResult missing = UploadFile(root.File("nothing.html"), Target(server->Port(), "web", "secret"), abort, {});
    EXPECT_EQ(missing.message.rfind("An error occured while opening the file to be uploaded, Error:", 0), 0u);

    server->Stop();
    const FtpResult down = UploadFile(root.File("index.html"), Target(server->Port(), "web", "secret"), abort, {});
    EXPECT_EQ(down.outcome, FtpResult::Outcome::Failed);
    EXPECT_EQ(down.message.rfind("An error occurred connecting to the server", 0), 0u) << down.message;
}

TEST_F(FtpUploadTest, ServerGoingAwayMidTransferFailsAndTheNextPageStillGoes) {
    auto dropping = Start();
    WriteFileBytes(root.File("index.html"), Pattern(512 * 1024));
    std::atomic<bool> abort{false};
    // The server dies once 64 KB have gone (the upload waits in its progress report meanwhile).
    const FtpResult cut = UploadFile(root.File("index.html"), Target(dropping->Port()), abort,
                                     [&](const FtpProgress& p) {
                                         if (p.bytesSent >= 64 * 1024) {
                                             dropping->Stop();
                                         }
                                     });
    EXPECT_EQ(cut.outcome, FtpResult::Outcome::Failed);
    EXPECT_EQ(cut.message.rfind("An error occurred while uploading the file, Error:", 0), 0u) << cut.message;
    EXPECT_FALSE(fs::exists(root.File("srv/www/index.html")));  // never half a page under the real name

    auto good = Start();
    const FtpResult next = UploadFile(root.File("index.html"), Target(good->Port()), abort, {});
    ASSERT_EQ(next.outcome, FtpResult::Outcome::Done) << next.message;
    EXPECT_EQ(ReadFileBytes(root.File("srv/www/index.html")), Pattern(512 * 1024));
}

TEST_F(FtpUploadTest, CancelStopsAtTheNextBlockAndPagesAreNotQueuedTwice) {
    auto server = Start();
    WriteFileBytes(root.File("index.html"), Pattern(4 * 1024 * 1024));
    std::atomic<bool> abort{false};
    const FtpResult r = UploadFile(root.File("index.html"), Target(server->Port()), abort, [&](const FtpProgress& p) {
        if (p.bytesSent > 100 * 1024) {
            abort = true;
        }
    });
    EXPECT_EQ(r.outcome, FtpResult::Outcome::Aborted);
    EXPECT_TRUE(r.message.empty());
    EXPECT_FALSE(fs::exists(root.File("srv/www/index.html")));

    // Five pages handed over while the first goes up: the first and the newest are uploaded.
    FtpPublisher publisher;
    for (int i = 0; i < 5; ++i) {
        publisher.Submit(root.File("index.html"), Target(server->Port()));
    }
    publisher.WaitIdle();
    EXPECT_LE(publisher.Completed(), 2);
    EXPECT_GE(publisher.Completed(), 1);
    EXPECT_EQ(publisher.Failed(), 0);
    EXPECT_EQ(fs::file_size(root.File("srv/www/index.html")), 4u * 1024 * 1024);
}

TEST_F(FtpUploadTest, ServiceUploadsItsWebPages) {
    auto server = Start({"--user", "web", "--password", "secret"});
    test::ProgramFolder folder;
    folder.SaveHill(30);
    WriteFileBytes(folder.File("template.html"), "<p>{STRATAVUE:Hill:Temp}</p>\n");
    Settings settings(folder.Path());
    ASSERT_TRUE(settings.WriteSettingInt("WebOutput", "Active", 1));
    settings.WriteSettingInt("WebOutput", "Interval", 1);
    settings.WriteSettingString("WebOutput", "Template", folder.File("template.html"));
    settings.WriteSettingString("WebOutput", "Output", folder.File("index.html"));
    settings.WriteSettingInt("WebOutput", "FTP", 1);
    settings.WriteSettingString("WebOutput", "Server", "127.0.0.1:" + std::to_string(server->Port()));
    settings.WriteSettingString("WebOutput", "RemoteFilename", "www/index.html");
    settings.WriteSettingString("WebOutput", "Username", "web");
    settings.WriteSettingString("WebOutput", "Password", "secret");

    const test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "run", "--for", "3"});
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_TRUE(fs::exists(root.File("srv/www/index.html"))) << r.err;
    EXPECT_EQ(ReadFileBytes(root.File("srv/www/index.html")).rfind("<p>", 0), 0u);
    EXPECT_EQ(ReadFileBytes(root.File("srv/www/index.html")), ReadFileBytes(folder.File("index.html")));

    // A wrong password is reported, once, on standard error and in error.txt; the run goes on.
    settings.WriteSettingString("WebOutput", "Password", "wrong");
    const test::CliResult bad = test::RunCli({"--program-dir", folder.Path(), "run", "--for", "3"});
    EXPECT_EQ(bad.code, 0);
    EXPECT_NE(bad.err.find("FTP upload to 127.0.0.1"), std::string::npos) << bad.err;
    EXPECT_NE(ReadFileBytes(folder.File("error.txt")).find("An error occurred connecting to the server"),
              std::string::npos);
}

class MailTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HavePython("aiosmtpd")) {
            GTEST_SKIP() << "python3-aiosmtpd is not installed";
        }
        fs::create_directories(dir.File("mail"));
        SetReportFolder(dir.Path().string() + "/");
    }
    void TearDown() override { SetReportFolder(""); }
    TempDir dir;
    ManualClock clock{FromLocal(2026, 6, 1, 0, 5, 0)};
};

TEST_F(MailTest, AnAlarmWithThreeRecipientsSendsOneMessage) {
    TestServer server({kPython, SupportScript("smtp_server.py"), dir.File("mail")});
    ASSERT_GT(server.Port(), 0);
    MailSettings settings;
    settings.server = "127.0.0.1";
    settings.port = server.Port();
    settings.from = "station@example.org";
    MailOutbox outbox(settings, clock);

    Alarm alarm;
    alarm.name = "Severe gust";
    alarm.kind = 1;
    alarm.recipients = " ops@example.org; duty@example.org ,chief@example.org ; ";
    ASSERT_TRUE(alarm.Notify("Hilltop", clock.Now(), &outbox));
    outbox.WaitIdle();
    EXPECT_EQ(outbox.Sent(), 1);
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(dir.File("mail/1.txt")); }));
    const std::string got = ReadFileBytes(dir.File("mail/1.txt"));
    EXPECT_NE(got.find("FROM station@example.org\nRCPT ops@example.org\nRCPT duty@example.org\nRCPT chief@example.org\n"),
              std::string::npos)
        << got;
    EXPECT_NE(got.find("Subject: " + alarm.mail.subject + "\r\n"), std::string::npos) << got;
    EXPECT_NE(alarm.mail.subject.find("Hilltop"), std::string::npos);
    const std::string firstBodyLine = alarm.mail.body.substr(0, alarm.mail.body.find_first_of("\r\n"));
    EXPECT_NE(got.find("\r\n\r\n" + firstBodyLine), std::string::npos) << got;
    EXPECT_FALSE(fs::exists(dir.File("mail/2.txt")));
}

TEST_F(MailTest, ADeadServerIsReportedAndTheCallerNeverWaits) {
    MailSettings settings;
    settings.server = "127.0.0.1";
    settings.port = 1;  // nothing listens there
    settings.from = "station@example.org";
    MailOutbox outbox(settings, clock);
    outbox.Send(MailRequest{{"ops@example.org"}, "subject", "body"});
    outbox.WaitIdle();
    EXPECT_EQ(outbox.FailedCount(), 1);
    EXPECT_NE(ReadFileBytes(dir.File("error.txt")).find("could not be sent through 127.0.0.1"), std::string::npos);

    // Without a mail server set up, the first message says so; later ones add nothing.
    MailOutbox unset(MailSettings{}, clock);
    unset.Send(MailRequest{{"ops@example.org"}, "s", "b"});
    unset.Send(MailRequest{{"ops@example.org"}, "s", "b"});
    const std::string errors = ReadFileBytes(dir.File("error.txt"));
    const size_t first = errors.find("no mail server and sender address are set");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(errors.find("no mail server and sender address are set", first + 1), std::string::npos);
}

}  // namespace
}  // namespace svu
