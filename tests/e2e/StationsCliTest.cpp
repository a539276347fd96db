#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/Cli.h"
#include "framework/StringTable.h"
#include "framework/TempDir.h"
#include "stations/WeatherStation.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

struct StationsRun {
    int code;
    std::string out;
    std::string err;
};

// Runs stratavue-cli in-process; the alarm switches a load sets are put back afterwards.
StationsRun Cli(std::vector<std::string> words) {
    words.insert(words.begin(), "stratavue-cli");
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::Main(words, out, err);
    DisableAllAlarms() = 0;
    MuteAllAlarms() = 0;
    return {code, out.str(), err.str()};
}

const std::string kData = std::string(SVU_TEST_DATA_DIR) + "/stations/";

TEST(StationsCli, ShowsAndConvertsTheGoldenFile) {
    TempDir dir;
    const std::string wsf = ReadFileBytes(kData + "hilltop.wsf");
    const std::string json = ReadFileBytes(kData + "hilltop.json");
    ASSERT_FALSE(wsf.empty());

    StationsRun show = Cli({"stations", "show", kData + "hilltop.wsf", "--json"});
    EXPECT_EQ(show.code, 0) << show.err;
    EXPECT_EQ(show.out, json);

    WriteFileBytes(dir.File("stratavue.wsf"), wsf);
    StationsRun text = Cli({"--program-dir", dir.Path().string(), "stations", "show"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("MuteAllAlarms: 1\n"), std::string::npos);
    EXPECT_NE(text.out.find("Station 1: WSDirect (typeCode 0)\n"), std::string::npos);
    EXPECT_NE(text.out.find("  channelMultipliers: [1.0,0.2]\n"), std::string::npos);
    EXPECT_NE(text.out.find("      gain: 1.8\n"), std::string::npos);
    EXPECT_NE(text.out.find("Station 2: WSFile (typeCode 12)\n"), std::string::npos);

    EXPECT_EQ(Cli({"--program-dir", dir.Path().string(), "stations", "export-json", dir.File("x.json")}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("x.json")), json);
    EXPECT_EQ(Cli({"stations", "import-json", dir.File("x.json"), dir.File("x.wsf")}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("x.wsf")), wsf);
    EXPECT_EQ(Cli({"stations", "resave", kData + "hilltop.wsf", dir.File("y.wsf")}).code, 0);
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
        StationsRun r = Cli(words);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err.rfind(Str(263) + "\n", 0), 0u) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
    }

    WriteFileBytes(dir.File("bad.json"), "{\"stations\": [{\"class\": \"WSDirect\", \"port\": \"COM1\"}]}");
    StationsRun bad = Cli({"stations", "import-json", dir.File("bad.json"), dir.File("out")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("stations[0].port"), std::string::npos) << bad.err;
    WriteFileBytes(dir.File("bad.json"), "{\"stations\": [");
    EXPECT_EQ(Cli({"stations", "import-json", dir.File("bad.json"), dir.File("out")}).code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));

    EXPECT_EQ(Cli({"stations", "show", dir.File("missing.wsf")}).code, 1);
    EXPECT_EQ(Cli({"stations"}).code, 2);
    EXPECT_EQ(Cli({"stations", "frobnicate"}).code, 2);
    EXPECT_EQ(Cli({"stations", "resave", dir.File("cut.wsf")}).code, 2);
}

}  // namespace
}  // namespace svu
