#include <gtest/gtest.h>

#include "historic/LogCombiner.h"
#include "historic/LogConverter.h"
#include "historic/LogFilesFixture.h"

namespace svu {
namespace {

TEST(CombineLogFiles, ARangeWithMissingDaysKeepsTheFirstHeader) {
    test::LogFolder logs;
    // The first day's last record lacks its line end; the third day's header has one name more.
    logs.WriteDay({2026, 3, 28}, {"Temp", "Rain"}, {"28/03/26, 23:00:00, 1, 2"}, "28/03/26, 23:59:00, 1, 3");
    logs.WriteDay({2026, 3, 30}, {"Temp", "Rain", "Dew"}, {"30/03/26, 00:00:00, 4, 5, 6"});
    const std::string out = logs.dir.File("all.log");
    const CombineResult r = CombineLogFiles(logs.Folder(), "Hill", {2026, 3, 27}, {2026, 3, 31}, out);
    EXPECT_EQ(r.filesFound, 2);
    EXPECT_EQ(r.daysMissing, 3);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.messageId, 581);
    EXPECT_EQ(test::ReadFileBytes(out),
              "2\r\nTemp\r\nRain\r\n28/03/26, 23:00:00, 1, 2\r\n28/03/26, 23:59:00, 1, 3\r\n"
              "30/03/26, 00:00:00, 4, 5, 6\r\n");

    const CombineResult whole = CombineLogFiles(logs.Folder(), "Hill", {2026, 3, 28}, {2026, 3, 28}, out);
    EXPECT_EQ(whole.messageId, 0);
}

TEST(CombineLogFiles, NoFileLeavesTheOutputAlone) {
    test::LogFolder logs;
    const std::string out = logs.dir.File("all.log");
    test::WriteFileBytes(out, "before");
    EXPECT_EQ(CombineLogFiles(logs.Folder(), "Hill", {2026, 1, 1}, {2026, 1, 3}, out).messageId, 582);
    EXPECT_EQ(CombineLogFiles(logs.Folder(), "Hill", {2026, 1, 3}, {2026, 1, 1}, out).messageId, 582);
    logs.WriteDay({2026, 1, 2}, {"Temp"}, {"02/01/26, 00:00:00, 1"});
    EXPECT_EQ(
        CombineLogFiles(logs.Folder(), "Hill", {2026, 1, 1}, {2026, 1, 3}, logs.dir.File("no/such/dir.log")).messageId,
        583);
    EXPECT_EQ(test::ReadFileBytes(out), "before");
}

TEST(ConvertOldLogFile, NamesTakeTheirUnitsAndRecordsFollow) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("old.dat"),
                         "Date,Time,Temp,Rain,Extra\r\n,,C,mm\r\n01/01/99,10:00,1.5,0\n02/01/99,10:00,2.5,1");
    const ConvertResult r = ConvertOldLogFile(dir.File("old.dat"), dir.File("new.log"));
    EXPECT_EQ(r.messageId, 0);
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(test::ReadFileBytes(dir.File("new.log")),
              "2\r\nTemp (C)\r\nRain (mm)\r\n01/01/99,10:00,1.5,0\r\n02/01/99,10:00,2.5,1\r\n");
}

TEST(ConvertOldLogFile, InvalidOrMissingFilesWriteNothing) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("bad.dat"), "Date,Time,Temp\r\nonly,one\r\n1,2,3\r\n");
    EXPECT_EQ(ConvertOldLogFile(dir.File("bad.dat"), dir.File("new.log")).messageId, 237);
    test::WriteFileBytes(dir.File("empty.dat"), "");
    EXPECT_EQ(ConvertOldLogFile(dir.File("empty.dat"), dir.File("new.log")).messageId, 237);
    EXPECT_EQ(ConvertOldLogFile(dir.File("missing.dat"), dir.File("new.log")).messageId, 234);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.log")));
    test::WriteFileBytes(dir.File("ok.dat"), "a,b,c\r\n,,u\r\n");
    EXPECT_EQ(ConvertOldLogFile(dir.File("ok.dat"), dir.File("missing/new.log")).messageId, 234);
}

}  // namespace
}  // namespace svu
