#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <thread>

#include "e2e/RuntimeCliSupport.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"

extern char** environ;

namespace svu {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// A looping file station with a network file, and a web page every second.
class RunCli : public ::testing::Test {
protected:
    RunCli() {
        folder.SaveHill(30, [&](WSFile& hill) {
            hill.networkOutput = 1;
            hill.networkFile = folder.File("hill.nws");
        });
        WriteFileBytes(folder.File("page.tpl"), "<p>{STRATAVUE:Hill:Temp} at {STRATAVUE:Hill:Time}</p>\n");
        Settings settings(folder.Path());
        settings.WriteSettingInt(kSectionWebOutput, kKeyWebActive, 1);
        settings.WriteSettingInt(kSectionWebOutput, kKeyWebInterval, 1);
        settings.WriteSettingString(kSectionWebOutput, kKeyWebTemplate, folder.File("page.tpl"));
        settings.WriteSettingString(kSectionWebOutput, kKeyWebOutput, folder.File("page.htm"));
    }

    std::string LogText() const { return ReadFileBytes(folder.File("logs/Hill-20261205.log")); }

    test::ProgramFolder folder;
};

TEST_F(RunCli, RunsForTheTimeAskedAndLeavesLogsNetworkFileAndPage) {
    const test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "run", "--for", "5"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string log = LogText();
    EXPECT_EQ(log.rfind("4\r\nDate\r\nTime\r\nTemp\r\nRain\r\n05/12/26, 14:05:00, 05/12/26, 14:05:00,  5,  0.0\r\n", 0),
              0u)
        << log.substr(0, 200);
    EXPECT_TRUE(log.ends_with("\r\n"));
    const std::string network = ReadFileBytes(folder.File("hill.nws"));
    EXPECT_EQ(network.rfind("4\r\n05/12/26\r\n14:", 0), 0u) << network;
    EXPECT_NE(network.find("\r\nTemp\r\n "), std::string::npos);
    const std::string page = ReadFileBytes(folder.File("page.htm"));
    EXPECT_EQ(page.rfind("<p> ", 0), 0u) << page;
    EXPECT_NE(page.find(" at 14:"), std::string::npos);
}

TEST_F(RunCli, StopsCleanlyOnSigterm) {
    const std::string program = std::string(SVU_BINARY_DIR) + "/stratavue-cli";
    if (!std::filesystem::exists(program)) {
        GTEST_SKIP() << program << " is not built";
    }
    const std::string dirOption = "--program-dir=" + folder.Path();
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(dirOption.c_str()),
                               const_cast<char*>("run"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    for (int i = 0; i < 1000 && LogText().find("14:07:00") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string log = LogText();
    EXPECT_NE(log.find("14:07:00"), std::string::npos);
    EXPECT_TRUE(log.ends_with("\r\n"));  // no record cut short
}

TEST(RunCliErrors, MissingOrDamagedStationFile) {
    test::ProgramFolder folder;
    test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "run", "--for", "0"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind(Str(263) + "\n", 0), 0u) << r.err;
    WriteFileBytes(folder.File("stratavue.wsf"), std::string("\x01\x00\xff\xff", 4));
    r = test::RunCli({"--program-dir", folder.Path(), "run", "--for", "0"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind(Str(263) + "\n", 0), 0u) << r.err;
    EXPECT_EQ(test::RunCli({"--program-dir", folder.Path(), "run", "--for", "x"}).code, 2);
}

}  // namespace
}  // namespace svu
