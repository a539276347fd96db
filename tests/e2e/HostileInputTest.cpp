// Hostile and broken input given to the command-line tool: special files where files are
// expected, symbolic links planted in the program's folders, names made to leave a folder or to
// rewrite a terminal, and failures that used to be reported as success.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "e2e/RuntimeCliSupport.h"
#include "framework/Settings.h"
#include "historic/DayFiles.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class HostileInput : public ::testing::Test {
protected:
    HostileInput() {
        WriteFileBytes(folder.File("in.log"), test::MakeLog(5));
        std::filesystem::create_directories(folder.File("logs"));
        ::mkfifo(folder.File("fifo").c_str(), 0600);
    }

    void SaveHill(const std::function<void(WSFile&)>& change = {}) {
        folder.SaveHill(5, [&](WSFile& hill) {
            hill.loop = 0;
            if (change) {
                change(hill);
            }
        });
    }

    test::CliResult Cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--program-dir", folder.Path()});
        return test::RunCli(std::move(words));
    }

    test::ProgramFolder folder;
};

TEST_F(HostileInput, FoldersFifosAndDevicesWhereFilesBelongEndWithAMessage) {
    const std::string dir = folder.Path();
    const std::string fifo = folder.File("fifo");
    const std::vector<std::vector<std::string>> commands = {
        {"display", "show", dir},          {"display", "show", fifo},
        {"display", "show", "/dev/zero"},  {"stations", "show", fifo},
        {"stations", "show", "/dev/zero"}, {"stations", "import-json", "/dev/zero", folder.File("o.wsf")},
        {"display", "import-json", fifo, folder.File("o.svu")},
        {"logs", "convert-old", fifo, folder.File("o.log")},
    };
    for (const auto& command : commands) {
        const test::CliResult r = Cli(command);
        EXPECT_EQ(r.code, 1) << command[0] << " " << command[2] << ": " << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    std::filesystem::create_directory(folder.File("stratavue.wsf"));
    EXPECT_EQ(Cli({"run", "--for", "0"}).code, 1);
}

TEST_F(HostileInput, PlantedLinksAreNotWrittenThrough) {
    const std::string victim = folder.File("victim");
    WriteFileBytes(victim, "precious");
    SaveHill([&](WSFile& hill) {
        hill.networkOutput = 1;
        hill.networkFile = folder.File("hill.nws");
    });
    std::filesystem::create_symlink(victim, folder.File("hill.nws.tmp"));
    std::filesystem::create_symlink(victim, folder.File("logs/Hill-20261205.log"));
    const test::CliResult r = Cli({"replay", "--station", "Hill"});
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_EQ(ReadFileBytes(folder.File("hill.nws")).rfind("4\r\n05/12/26\r\n", 0), 0u);
    EXPECT_NE(ReadFileBytes(folder.File("error.txt")).find("Unable to open log file"), std::string::npos);
    EXPECT_NE(r.err.find("Unable to open log file"), std::string::npos) << r.err;
}

TEST_F(HostileInput, NamesThatLeaveTheFolderOrCarryControlsAreRefusedAndEscaped) {
    for (const std::string name : {"../../x", "Hill\x1b[2J", "Hill\r\nFake"}) {
        SaveHill([&](WSFile& hill) { hill.name = name; });
        const test::CliResult r = Cli({"run", "--for", "0"});
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("cannot name its log files"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("x-20261205.log")));
    SaveHill();
    const test::CliResult r = Cli({"replay", "--station", "\x1b]0;owned\a"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("\\e]0;owned\\x07"), std::string::npos) << r.err;
}

TEST_F(HostileInput, FailuresAreNotReportedAsSuccess) {
    // A replay that found no record.
    SaveHill();
    WriteFileBytes(folder.File("in.log"), "2\r\nTemp\r\nRain\r\ngarbage\r\n");
    test::CliResult r = Cli({"replay", "--station", "Hill"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("holds no readable record"), std::string::npos) << r.err;

    // Combining into one of the day files combined.
    const std::string day = folder.File("logs/Hill-20261205.log");
    WriteFileBytes(day, "2\r\nTemp\r\nRain\r\n05/12/26, 14:05:00, 5, 0.3\r\n");
    r = Cli({"logs", "combine", "--station", "Hill", "--from", "2026-12-04", "--to", "2026-12-06", "--out", day});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is the log of a day being combined"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileBytes(day), "2\r\nTemp\r\nRain\r\n05/12/26, 14:05:00, 5, 0.3\r\n");

    // A rainfall total over a day whose log is damaged names that day.
    WriteFileBytes(folder.File("logs/Hill-20261206.log"), "2\r\nTemp\r\nRain\r\n\x01\x02 garbage\r\n");
    r = Cli({"rainfall", "weekly", "--station", "Hill", "--channel", "Rain", "--logged", "mm", "--display", "mm",
             "--start", "2026-12-05"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("These days could not be read: " + FormatUserDate(NoonOf(CalendarDay{2026, 12, 6}))),
              std::string::npos)
        << r.out;

    // Web output with its template missing is reported by the service.
    Settings settings(folder.Path());
    settings.WriteSettingInt(kSectionWebOutput, kKeyWebActive, 1);
    settings.WriteSettingString(kSectionWebOutput, kKeyWebTemplate, folder.File("missing.tpl"));
    settings.WriteSettingString(kSectionWebOutput, kKeyWebOutput, folder.File("page.htm"));
    r = Cli({"run", "--for", "1"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.err.find("Web output: the template"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace svu
