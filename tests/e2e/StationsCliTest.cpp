#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/Cli.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/StringTable.h"
#include "framework/TempDir.h"
#include "stations/WeatherStation.h"

namespace svu {
namespace {

using test::CliResult;
using test::RunCli;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

const std::string kData = std::string(SVU_TEST_DATA_DIR) + "/stations/";

TEST(StationsCli, ShowsAndConvertsTheGoldenFile) {
    TempDir dir;
    const std::string wsf = ReadFileBytes(kData + "hilltop.wsf");
    const std::string json = ReadFileBytes(kData + "hilltop.json");
    ASSERT_FALSE(wsf.empty());

    CliResult show = RunCli({"stations", "show", kData + "hilltop.wsf", "--json"});
    EXPECT_EQ(show.code, 0) << show.err;
    EXPECT_EQ(show.out, json);

    WriteFileBytes(dir.File("stratavue.wsf"), wsf);
    CliResult text = RunCli({"--program-dir", dir.Path().string(), "stations", "show"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("MuteAllAlarms: 1\n"), std::string::npos);
    EXPECT_NE(text.out.find("Station 1: WSDirect (typeCode 0)\n"), std::string::npos);
    EXPECT_NE(text.out.find("  channelMultipliers: [1.0,0.2]\n"), std::string::npos);
    EXPECT_NE(text.out.find("      gain: 1.8\n"), std::string::npos);
    EXPECT_NE(text.out.find("Station 2: WSFile (typeCode 12)\n"), std::string::npos);

    EXPECT_EQ(RunCli({"--program-dir", dir.Path().string(), "stations", "export-json", dir.File("x.json")}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("x.json")), json);
    EXPECT_EQ(RunCli({"stations", "import-json", dir.File("x.json"), dir.File("x.wsf")}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("x.wsf")), wsf);
    EXPECT_EQ(RunCli({"stations", "resave", kData + "hilltop.wsf", dir.File("y.wsf")}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("y.wsf")), wsf);
}

TEST(StationsCli, DamagedInputIsReportedAndNothingIsWritten) {
    TempDir dir;
    const std::string wsf = ReadFileBytes(kData + "hilltop.wsf");
    WriteFileBytes(dir.File("cut.wsf"), wsf.substr(0, wsf.size() / 2));
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{"stations", "show", dir.File("cut.wsf")},
                                               {"stations", "resave", dir.File("cut.wsf"), dir.File("out")},
                                               {"stations", "export-json", dir.File("cut.wsf"), dir.File("out")}}) {
        CliResult r = RunCli(words);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err.rfind(Str(263) + "\n", 0), 0u) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
    }

    WriteFileBytes(dir.File("bad.json"), "{\"stations\": [{\"class\": \"WSDirect\", \"port\": \"COM1\"}]}");
    CliResult bad = RunCli({"stations", "import-json", dir.File("bad.json"), dir.File("out")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("stations[0].port"), std::string::npos) << bad.err;
    WriteFileBytes(dir.File("bad.json"), "{\"stations\": [");
    EXPECT_EQ(RunCli({"stations", "import-json", dir.File("bad.json"), dir.File("out")}).code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));

    EXPECT_EQ(RunCli({"stations", "show", dir.File("missing.wsf")}).code, 1);
    EXPECT_EQ(RunCli({"stations"}).code, 2);
    EXPECT_EQ(RunCli({"stations", "frobnicate"}).code, 2);
    EXPECT_EQ(RunCli({"stations", "resave", dir.File("cut.wsf")}).code, 2);
}

}  // namespace
}  // namespace svu
