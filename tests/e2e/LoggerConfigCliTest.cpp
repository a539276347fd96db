// stratavue-cli logger-config over a data logger link answered by the simulator's set-up store.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/Cli.h"
#include "cli/LoggerConfigCommand.h"
#include "framework/AtomicFile.h"
#include "framework/TempDir.h"
#include "loggers/NdrConfig.h"
#include "loggers/NdrSetupJson.h"
#include "loggers/NdrStoreLink.h"

namespace svu {
namespace {

using StoreLink = test::NdrStoreLink;

// Set-up files are written whole; the disk flush is not what these tests are about.
class LoggerConfigCli : public ::testing::Test {
protected:
    LoggerConfigCli() { SetAtomicWriteSyncForTesting(false); }
    ~LoggerConfigCli() override { SetAtomicWriteSyncForTesting(true); }
};

struct Streams {
    std::ostringstream out;
    std::ostringstream err;
    cli::Context ctx{"./", out, err};
};

TEST_F(LoggerConfigCli, DownloadDiffAndUploadThroughTheLink) {
    test::TempDir dir;
    StoreLink link;
    Streams s;
    const std::string json = dir.File("setup.json");
    ASSERT_EQ(cli::LoggerConfigDownload(s.ctx, link, json), cli::kExitOk) << s.err.str();
    NDR fromFile;
    std::string error;
    ASSERT_TRUE(NdrFromJson(test::ReadFileBytes(json), fromFile, &error)) << error;
    EXPECT_EQ(fromFile.dataChannels.channels[0].description, link.store.Get("scdesc(1)"));
    EXPECT_NE(s.err.str().find("100%"), std::string::npos);

    // An edited file: the diff names the change and the logger is untouched.
    fromFile.dataChannels.channels[4].unit = "km/h";
    fromFile.logRate = 3725;
    std::ofstream(json) << NdrToJson(fromFile);
    Streams d;
    ASSERT_EQ(cli::LoggerConfigDiff(d.ctx, link, json), cli::kExitOk) << d.err.str();
    EXPECT_EQ(d.out.str(), "Channel 5 unit: \"\" -> \"km/h\"\nNormal log rate: \"00h10m00s\" -> \"01h02m05s\"\n");

    // Without --yes: no terminal refuses, "n" writes nothing, "y" writes.
    Streams refused;
    EXPECT_EQ(cli::LoggerConfigUpload(refused.ctx, link, json, false, nullptr, false), cli::kExitFailure);
    EXPECT_NE(refused.err.str().find("--yes"), std::string::npos);
    std::istringstream no("n\n");
    Streams declined;
    EXPECT_EQ(cli::LoggerConfigUpload(declined.ctx, link, json, false, &no, false), cli::kExitOk);
    EXPECT_NE(declined.out.str().find("Channel 5 unit"), std::string::npos);
    EXPECT_EQ(link.written, 0);
    std::istringstream yes("y\n");
    Streams accepted;
    EXPECT_EQ(cli::LoggerConfigUpload(accepted.ctx, link, json, false, &yes, true), cli::kExitOk) << accepted.err.str();
    EXPECT_EQ(link.written, 2);
    EXPECT_EQ(link.store.Get("scunit(5)"), "km/h");
    EXPECT_EQ(link.store.Saves(), 1);
    EXPECT_EQ(link.clears, 1);
}

TEST_F(LoggerConfigCli, FailuresAreReportedAndNothingIsWritten) {
    test::TempDir dir;
    StoreLink link;
    link.reachable = false;
    Streams s;
    EXPECT_EQ(cli::LoggerConfigDownload(s.ctx, link, dir.File("out.json")), cli::kExitFailure);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.json")));

    const std::string bad = dir.File("bad.json");
    std::ofstream(bad) << "{\"channel5.unt\": \"km/h\"}";
    Streams b;
    EXPECT_EQ(cli::LoggerConfigUpload(b.ctx, link, bad, true, nullptr, false), cli::kExitFailure);
    EXPECT_NE(b.err.str().find("channel5.unt: no such setting"), std::string::npos);
    std::ofstream(bad) << "{\"alarm3.test\": 9999999999}";
    Streams r;
    EXPECT_EQ(cli::LoggerConfigUpload(r.ctx, link, bad, true, nullptr, false), cli::kExitFailure);
    EXPECT_EQ(link.sessions, 1);

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::Main({"stratavue-cli", "logger-config", "fetch", "--station", "x"}, out, err), cli::kExitUsage);
    EXPECT_NE(err.str().find("Usage: stratavue-cli logger-config"), std::string::npos);
    EXPECT_EQ(cli::Main({"stratavue-cli", "logger-config", "download", "--station", "x"}, out, err), cli::kExitUsage);
}

}  // namespace
}  // namespace svu
