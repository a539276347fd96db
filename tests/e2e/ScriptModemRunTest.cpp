// The scripted and dial-up stations end to end: stratavue-sim plays a request/reply device or a
// Hayes modem with a Vela logger behind it, stratavue-cli run acquires from them into daily logs.
// Two running copies of the program share one modem and must take turns.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "e2e/ProgramSupport.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#include "framework/TextUtil.h"
#include "stations/StationTestSupport.h"
#include "stations/WSGenericSerial.h"
#include "stations/WSModemVela.h"

namespace svu {
namespace {

using test::LoggedRecords;
using test::ReadFileBytes;

struct Programs {
    std::string cli = std::string(SVU_BINARY_DIR) + "/stratavue-cli";
    std::string sim = std::string(SVU_BINARY_DIR) + "/stratavue-sim";
    bool Built() const { return std::filesystem::exists(cli) && std::filesystem::exists(sim); }
};

TEST(ScriptRun, AGenericStationLogsWhatItsScriptReadsAndNothingForABadReply) {
    Programs programs;
    if (!programs.Built()) {
        GTEST_SKIP() << "stratavue-cli and stratavue-sim are not built";
    }
    test::ProgramFolder folder;
    const std::string device = folder.File("gen");
    // "n.25,45.5;" then 300 as a big-endian word, the checksum and CR LF; every fourth checksum is wrong.
    pid_t sim = test::SpawnQuiet(programs.sim,
                                 {"generic", "--link", device, "--request", "R\\r", "--reply", "{n}.25,45.5;\\x01\\x2C",
                                  "--checksum", "--end", "\\r\\n", "--bad-checksum-every", "4"});
    ASSERT_GT(sim, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(device); }, 30));

    StationList stations;
    auto station = std::make_unique<WSGenericSerial>("Gen");
    station->active = station->logErrors = station->loggingEnabled = station->logAllValues = 1;
    station->port = 4;
    station->logFolder = folder.File("logs");
    station->rawChannelCount = station->channelCount = 3;
    station->channelNames = {"Count", "Level", "Word"};
    station->realtimeScript =
        "# one reading, taken byte by byte up to CR LF\r\n"
        "flush\r\n"
        "send \"R\\r\"\r\n"
        "timeout 2000\r\n"
        "get 0\r\n"
        "loop\r\n"
        "getappend 1\r\n"
        "if false break\r\n"
        "testfor \"\\r\\n\"\r\n"
        "if true break\r\n"
        "loop end\r\n"
        "trim 0 0 2\r\n"
        "getrxchecksum\r\n"
        "trim 0 0 2\r\n"
        "testchecksum\r\n"
        "if false break\r\n"
        "mask \"x,x;W\"\r\n"
        "wait 100\r\n";
    stations.push_back(std::move(station));
    folder.Save(stations);
    std::filesystem::create_directories(folder.File("logs"));
    Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM4", device);

    pid_t run = test::SpawnQuiet(programs.cli, {"--program-dir=" + folder.Path(), "run", "--for", "600"});
    ASSERT_GT(run, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return LoggedRecords(folder.File("logs"), "Gen").size() >= 8; }, 60));
    const int status = test::EndProcess(run, SIGTERM);
    test::EndProcess(sim, SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    int previous = 0;
    for (const auto& fields : LoggedRecords(folder.File("logs"), "Gen")) {
        ASSERT_EQ(fields.size(), 3u);
        const int n = AtoI(fields[0]);
        EXPECT_EQ(fields[0], std::to_string(n) + ".25");
        EXPECT_NE(n % 4, 0) << "a reply with a wrong checksum was stored";
        EXPECT_GT(n, previous);
        previous = n;
        EXPECT_EQ(fields[1], "45.5");
        EXPECT_EQ(fields[2], "300");
    }
}

TEST(ModemRun, TwoRunningCopiesTakeTurnsOnOneModemAndStoreTheAverages) {
    Programs programs;
    if (!programs.Built()) {
        GTEST_SKIP() << "stratavue-cli and stratavue-sim are not built";
    }
    test::TempDir shared;
    const std::string modem = shared.File("modem");
    const std::string callsFile = shared.File("calls.txt");
    pid_t sim = test::SpawnQuiet(programs.sim, {"modem", "--link", modem, "--calls", callsFile, "--guard", "200",
                                                "--instrument", "vela", "--batch", "10,350;11,10;12,0"});
    ASSERT_GT(sim, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(modem); }, 30));

    // Both copies find the modem's named mutex in the same runtime folder.
    auto runtimeDir = std::make_unique<test::RuntimeDirScope>(shared.File("run"));
    test::ProgramFolder folders[2];
    std::vector<pid_t> runs;
    for (int i = 0; i < 2; ++i) {
        StationList stations;
        auto station = std::make_unique<WSModemVela>("Ridge");
        station->active = station->logErrors = station->loggingEnabled = station->logAllValues = 1;
        station->modemName = modem;
        station->phoneNumber = i == 0 ? "1111" : "2222";
        station->callInterval = 1;
        station->logFolder = folders[i].File("logs");
        station->rawChannelCount = station->channelCount = 2;
        station->channelNames = {"Temp", "Dir"};
        station->channelTypes = {0, 3};
        stations.push_back(std::move(station));
        folders[i].Save(stations);
        std::filesystem::create_directories(folders[i].File("logs"));
        runs.push_back(test::SpawnQuiet(programs.cli, {"--program-dir=" + folders[i].Path(), "run", "--for", "600"}));
        ASSERT_GT(runs.back(), 0);
    }
    runtimeDir.reset();
    // The first calls start the loggers; a minute later each copy collects and averages.
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            return !LoggedRecords(folders[0].File("logs"), "Ridge").empty() &&
                   !LoggedRecords(folders[1].File("logs"), "Ridge").empty();
        },
        180));
    for (const pid_t run : runs) {
        const int status = test::EndProcess(run, SIGTERM);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    test::EndProcess(sim, SIGTERM);

    for (auto& folder : folders) {
        const auto records = LoggedRecords(folder.File("logs"), "Ridge");
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records[0][0], "11");
        EXPECT_EQ(records[0][1], "0");
        EXPECT_EQ(ReadFileBytes(folder.File("error.txt")).find("Unable to establish"), std::string::npos)
            << ReadFileBytes(folder.File("error.txt"));
    }
    // The modem's record of its calls: each began after the one before had ended.
    struct Call {
        long dial, end;
        std::string number;
    };
    std::vector<Call> calls;
    std::istringstream in(ReadFileBytes(callsFile));
    for (std::string line; std::getline(in, line);) {
        const auto value = [&](const std::string& key) {
            const std::size_t at = line.find(" " + key + "=");
            return line.substr(at + key.size() + 2, line.find(' ', at + 1) - at - key.size() - 2);
        };
        EXPECT_EQ(value("overlap"), "0") << line;
        EXPECT_EQ(value("result"), "CONNECT") << line;
        calls.push_back({AtoL(value("dial")), AtoL(value("end")), value("number")});
    }
    ASSERT_GE(calls.size(), 4u);
    std::sort(calls.begin(), calls.end(), [](const Call& a, const Call& b) { return a.dial < b.dial; });
    for (std::size_t i = 1; i < calls.size(); ++i) {
        EXPECT_GE(calls[i].dial, calls[i - 1].end) << "calls " << i << " and " << i + 1 << " overlap";
    }
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.number == "1111"; }) >= 2, true);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.number == "2222"; }) >= 2, true);
}

}  // namespace
}  // namespace svu
