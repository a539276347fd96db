#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/RuntimeCliSupport.h"
#include "framework/StringTable.h"
#include "historic/DayFiles.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(LogsCli, CombinesARangeAndReportsMissingDays) {
    test::ProgramFolder folder;
    std::filesystem::create_directories(folder.File("logs"));
    StationList stations;
    stations.push_back(folder.HillStation());
    folder.Save(stations);
    WriteFileBytes(DayFilePath(folder.File("logs"), "Hill", {2026, 6, 1}), "1\r\nTemp\r\n01/06/26, 10:00:00, 1\r\n");
    WriteFileBytes(DayFilePath(folder.File("logs"), "Hill", {2026, 6, 3}), "1\r\nTemp\r\n03/06/26, 10:00:00, 3\r\n");
    const std::vector<std::string> base = {"--program-dir", folder.Path(), "logs", "combine", "--station", "Hill"};
    auto combine = [&](const char* from, const char* to) {
        std::vector<std::string> words = base;
        words.insert(words.end(), {"--from", from, "--to", to, "--out", folder.File("all.log")});
        return test::RunCli(words);
    };
    test::CliResult r = combine("2026-06-01", "2026-06-03");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, Str(581) + "\n");
    EXPECT_EQ(ReadFileBytes(folder.File("all.log")), "1\r\nTemp\r\n01/06/26, 10:00:00, 1\r\n03/06/26, 10:00:00, 3\r\n");
    r = combine("2026-07-01", "2026-07-03");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, Str(582) + "\n");
    EXPECT_EQ(combine("2026-07-01", "someday").code, 2);
}

TEST(LogsCli, ConvertsAnOldLogFile) {
    test::TempDir dir;
    WriteFileBytes(dir.File("old.dat"), "Date,Time,Temp\r\n,,C\r\n01/01/99,10:00,1.5\r\n");
    test::CliResult r = test::RunCli({"logs", "convert-old", dir.File("old.dat"), dir.File("new.log")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(dir.File("new.log")), "1\r\nTemp (C)\r\n01/01/99,10:00,1.5\r\n");
    WriteFileBytes(dir.File("bad.dat"), "Date,Time\r\n");
    r = test::RunCli({"logs", "convert-old", dir.File("bad.dat"), dir.File("x.log")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, Str(237) + "\n");
    EXPECT_EQ(test::RunCli({"logs", "convert-old", dir.File("none.dat"), dir.File("x.log")}).err, Str(234) + "\n");
}

}  // namespace
}  // namespace svu
