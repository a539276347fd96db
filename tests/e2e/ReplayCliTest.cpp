#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/RuntimeCliSupport.h"
#include "stations/WSNetwork.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(ReplayCli, ReplaysTheWholeLogOnceReportingDamagedLines) {
    test::ProgramFolder folder;
    std::string log = test::MakeLog(20);
    log.insert(log.find("05/12/26, 14:10:00"), "05/12/26, 14:09:30, 5\r\n#####\r\n");
    WriteFileBytes(folder.File("in.log"), log);
    std::filesystem::create_directories(folder.File("logs"));
    StationList stations;
    stations.push_back(folder.HillStation());
    stations.push_back(std::make_unique<WSNetwork>("Other"));
    folder.Save(stations);

    const test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "replay", "--station", "Hill"});
    EXPECT_EQ(r.code, 0) << r.err;
    // The short record (no Rain) is a reading; the line without a date is not.
    EXPECT_EQ(r.out.rfind("21 records replayed in ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" records per second\n1 damaged lines passed over"), std::string::npos) << r.out;
    const std::string replayed = ReadFileBytes(folder.File("logs/Hill-20261205.log"));
    EXPECT_NE(replayed.find("05/12/26, 14:24:00, 05/12/26, 14:24:00,  24,  1.9\r\n"), std::string::npos);
    const std::string errors = ReadFileBytes(folder.File("error.txt"));
    EXPECT_NE(errors.find("Hill, Real time data is corrupt [" + folder.File("in.log") + ":10]"), std::string::npos)
        << errors;

    // A second replay appends to the same day's log without a second header.
    EXPECT_EQ(test::RunCli({"--program-dir", folder.Path(), "replay", "--station", "Hill"}).code, 0);
    const std::string twice = ReadFileBytes(folder.File("logs/Hill-20261205.log"));
    EXPECT_EQ(twice.size(), 2 * replayed.size() - std::string("4\r\nDate\r\nTime\r\nTemp\r\nRain\r\n").size());

    test::CliResult bad = test::RunCli({"--program-dir", folder.Path(), "replay", "--station", "Nowhere"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(bad.err, "stratavue-cli replay: no station named \"Nowhere\"\n");
    EXPECT_EQ(test::RunCli({"--program-dir", folder.Path(), "replay", "--station", "Other"}).code, 2);
    EXPECT_EQ(test::RunCli({"--program-dir", folder.Path(), "replay"}).code, 2);
}

}  // namespace
}  // namespace svu
