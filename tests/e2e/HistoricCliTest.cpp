#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/RuntimeCliSupport.h"
#include "historic/DayFiles.h"

namespace svu {
namespace {

class HistoricCli : public ::testing::Test {
protected:
    HistoricCli() {
        std::filesystem::create_directories(folder.File("logs"));
        StationList stations;
        stations.push_back(folder.HillStation());
        folder.Save(stations);
        // An east wind at 5 m/s from 23:00 on 1 June to 00:00 on 2 June, every 10 minutes.
        test::WriteFileBytes(DayFilePath(folder.File("logs"), "Hill", {2026, 6, 1}),
                             "3\r\nDir\r\nSpeed \r\nNote\r\n01/06/26, 22:50:00, 0, 9, a\r\n"
                             "01/06/26, 23:00:00, 90, 5, b\r\n01/06/26, 23:30:00, 90, 5, \"q\"\r\n");
        test::WriteFileBytes(DayFilePath(folder.File("logs"), "Hill", {2026, 6, 2}),
                             "3\r\nDir\r\nSpeed\r\nNote\r\n02/06/26, 00:00:00, 90, 5,  c \r\n");
    }
    test::CliResult Historic(std::vector<std::string> words) {
        words.insert(words.begin(), {"--program-dir", folder.Path(), "historic"});
        words.insert(words.end(), {"--from", "2026-06-01 23:00", "--to", "2026-06-02 00:00"});
        return test::RunCli(words);
    }

    test::ProgramFolder folder;
};

TEST_F(HistoricCli, ExportsTheKeptLinesAsTheTableOrAsCsv) {
    test::CliResult r = Historic({"export", "--station", "Hill"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Date\tTime\tDir\tSpeed\tNote\n01/06/26\t23:00:00\t90\t5\tb\n01/06/26\t23:30:00\t90\t5\t\"q\"\n"
              "02/06/26\t00:00:00\t90\t5\tc\n");
    r = Historic({"export", "--station", "Hill", "--channels", "Note,0", "--csv"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "time,Note,Dir\n2026-06-01T23:00:00+01:00,b,90\n2026-06-01T23:30:00+01:00,\"\"\"q\"\"\",90\n"
              "2026-06-02T00:00:00+01:00,c,90\n");
    r = Historic({"export", "--station", "Hill", "--channels", "Gust"});
    EXPECT_EQ(r.code, 2);
    r = Historic({"export", "--station", "Nope"});
    EXPECT_NE(r.code, 0);
    r = Historic({"export", "--file", folder.File("none.log")});
    EXPECT_EQ(r.err, "stratavue-cli historic: Unable to open file\n");
}

TEST_F(HistoricCli, PrintsTheWindRoseTable) {
    test::CliResult r = Historic({"windrose", "--station", "Hill", "--direction", "Dir", "--speed", "Speed"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Sector\tkm\t%\nN\t0.0\t0.0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nE\t18.0\t100.0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nTotal\t18.0\n"), std::string::npos) << r.out;
    r = Historic({"windrose", "--station", "Hill", "--direction", "0", "--speed", "1", "--sectors", "4", "--json",
                  "--display-as", "Meters"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"sector\": \"E\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"total\": 18000.0"), std::string::npos) << r.out;
    EXPECT_EQ(Historic({"windrose", "--station", "Hill", "--direction", "0", "--speed", "1", "--read-as", "FPS"}).code,
              2);
}

}  // namespace
}  // namespace svu
