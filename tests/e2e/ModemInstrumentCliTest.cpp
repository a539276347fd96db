// stratavue-cli instrument on a Modem station: each operation phones the instrument behind the
// simulated modem (after the user agreed) and hangs up; the memory download equals the one a
// Direct station gets from the same instrument on a cable.

#include <gtest/gtest.h>

#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#include "framework/TextUtil.h"
#include "sim/DirectBehindModem.h"
#include "sim/DirectSimulator.h"
#include "sim/ModemDevice.h"
#include "sim/PtyDeviceRunner.h"
#include "stations/WSDirect.h"
#include "stations/WSModem.h"

namespace svu {
namespace {

using test::CliResult;
using test::ReadFileBytes;

TEST(ModemInstrumentCli, EachOperationIsACallAndTheDownloadEqualsTheDirectOne) {
    sim::DirectSimOptions options;
    for (int c = 0; c < 4; ++c) {
        options.channels.push_back({FormatC("Ch%d", c + 1), 0, {}, 1, {}, {}});
    }
    options.records = 120;
    options.startTime = FromLocal(2026, 3, 1, 0, 10, 0);

    test::ProgramFolder folder;
    // The modem's named mutex lives in the test's folder.
    struct RuntimeDir {
        explicit RuntimeDir(const std::string& path) { ::setenv("STRATAVUE_RUNTIME_DIR", path.c_str(), 1); }
        ~RuntimeDir() { ::unsetenv("STRATAVUE_RUNTIME_DIR"); }
    } runtimeDir(folder.File("run"));
    sim::ModemSimOptions modemOptions;
    modemOptions.guardMs = 100;
    sim::ModemDevice modem(modemOptions, std::make_unique<sim::DirectBehindModem>(options));
    sim::PtyDeviceRunner runner(modem);
    std::string error;
    ASSERT_TRUE(runner.Start(folder.File("modem"), &error)) << error;
    options.linkPath = folder.File("cable");
    sim::DirectSimulator cable(options);
    ASSERT_TRUE(cable.Start(&error)) << error;
    Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM2", options.linkPath);

    StationList stations;
    auto valley = std::make_unique<WSModem>("Valley");
    valley->modemName = folder.File("modem");
    valley->phoneNumber = "01234";
    valley->logErrors = 1;
    stations.push_back(std::move(valley));
    auto wired = std::make_unique<WSDirect>("Wired");
    wired->port = 2;
    stations.push_back(std::move(wired));
    folder.Save(stations);

    const auto run = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"--program-dir", folder.Path(), "instrument"});
        return test::RunCli(words);
    };
    // Without an answer nobody is phoned.
    CliResult r = run({"--station", "Valley", "get-interval"});
    EXPECT_NE(r.code, 0);
    EXPECT_NE(r.err.find("phoning out to the Valley weather station"), std::string::npos) << r.err;
    const auto calls = [&] { return runner.WithDevice([&](sim::SimDevice&) { return modem.Calls(); }); };
    EXPECT_TRUE(calls().empty());

    r = run({"--station", "Valley", "--yes", "read-config"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Channels: 4, counters: 0"), std::string::npos) << r.out;
    // The interval, the gust period and the channels: three calls, each hung up.
    ASSERT_EQ(calls().size(), 3u);
    for (const sim::ModemCall& call : calls()) {
        EXPECT_EQ(call.ended, "ATH");
        EXPECT_EQ(call.dialled, "01234");
    }

    r = run({"--station", "Valley", "--yes", "download", folder.File("modem.log")});
    ASSERT_EQ(r.code, 0) << r.err;
    r = run({"--station", "Wired", "download", folder.File("cable.log")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string viaModem = ReadFileBytes(folder.File("modem.log"));
    EXPECT_NE(viaModem.find("Ch4"), std::string::npos);
    EXPECT_EQ(viaModem, ReadFileBytes(folder.File("cable.log")));
    EXPECT_EQ(calls().size(), 4u);
}

}  // namespace
}  // namespace svu
