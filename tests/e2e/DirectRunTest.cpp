// The service end to end: stratavue-sim simulates a Direct station's instrument, stratavue-cli run
// acquires from it into the daily log; the simulator is killed and started again meanwhile.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "e2e/ProgramSupport.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "sim/DirectLine.h"
#include "sim/DirectSimOptions.h"
#include "stations/StationTestSupport.h"
#include "stations/WSDirect.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::RecordLines;

// Each logged value is the simulator's value at the record's time, as its line showed it.
void ExpectSimulatorValues(const std::string& log) {
    const std::vector<sim::SimChannel> channels = sim::DefaultChannels();
    for (const std::string& line : RecordLines(log)) {
        const std::vector<std::string> fields = test::Words(line, ',');
        ASSERT_EQ(fields.size(), 2 + channels.size()) << line;
        const TimeT time = ParseDateTime(fields[0], fields[1]);
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const double value = sim::PatternValue(channels[c], static_cast<int>(c), time, 1);
            EXPECT_EQ(fields[2 + c], Trim(sim::DirectLineField(value, channels[c].decimals))) << line;
        }
    }
}

// The program folder's station list: one Direct station, "Mast", on COM5 = link, logging every value.
void SaveMastStation(test::ProgramFolder& folder, const std::string& link) {
    StationList stations;
    auto mast = std::make_unique<WSDirect>("Mast");
    mast->active = mast->logErrors = mast->loggingEnabled = mast->logAllValues = 1;
    mast->port = 5;
    mast->logFolder = folder.File("logs");
    mast->rawChannelCount = mast->channelCount = 8;
    mast->channelNames = {"T", "RH", "P", "WS", "WD", "Rain", "Sun", "Batt"};
    stations.push_back(std::move(mast));
    folder.Save(stations);
    std::filesystem::create_directories(folder.File("logs"));
    Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM5", link);
}

// stratavue-cli run against stratavue-sim direct, both as programs.
class DirectRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(test::CliProgram()) || !std::filesystem::exists(simulator)) {
            GTEST_SKIP() << "stratavue-cli and stratavue-sim are not built";
        }
    }
    pid_t StartSimulator(std::vector<std::string> options, const char* startTime = "2026-03-01 00:10:00") {
        options.insert(options.begin(), {"direct", "--link", link, "--period", "100"});
        options.insert(options.end(), {"--start-time", startTime});
        const pid_t sim = test::SpawnQuiet(simulator, options);
        EXPECT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(link); }));
        return sim;
    }
    pid_t StartRun() {
        SaveMastStation(folder, link);
        return test::SpawnQuiet(test::CliProgram(), {"--program-dir=" + folder.Path(), "run", "--for", "600"});
    }
    std::string Log(const std::string& day) const { return ReadFileBytes(folder.File("logs/Mast-" + day + ".log")); }
    std::string Errors() const { return ReadFileBytes(folder.File("error.txt")); }

    const std::string simulator = std::string(SVU_BINARY_DIR) + "/stratavue-sim";
    test::ProgramFolder folder;
    const std::string link = folder.File("ws1");
};

TEST_F(DirectRun, LogsWhatTheInstrumentSendsThroughFaultsAndARestart) {
    const std::vector<std::string> faults = {"--corrupt-every", "5", "--stray-bytes", "2", "--stray-every", "3"};
    pid_t sim = StartSimulator(faults);
    ASSERT_GT(sim, 0);
    const pid_t run = StartRun();
    ASSERT_GT(run, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return RecordLines(Log("20260301")).size() >= 8; }));

    test::EndProcess(sim, SIGKILL);
    EXPECT_TRUE(test::WaitUntil([&] { return Errors().find("no longer available") != std::string::npos; }));
    sim = StartSimulator(faults, "2026-03-02 09:00:00");
    EXPECT_TRUE(test::WaitUntil([&] { return RecordLines(Log("20260302")).size() >= 3; }));

    const int status = test::EndProcess(run, SIGTERM);
    test::EndProcess(sim, SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(Errors().find(Str(551)), std::string::npos);
    EXPECT_NE(Errors().find("available again"), std::string::npos);
    EXPECT_EQ(Log("20260301").rfind("8\r\nT\r\nRH\r\n", 0), 0u);
    ExpectSimulatorValues(Log("20260301"));
    ExpectSimulatorValues(Log("20260302"));
}

TEST_F(DirectRun, LinesEndedByEtxAloneAreLogged) {
    const pid_t sim = StartSimulator({"--etx-lines"});
    ASSERT_GT(sim, 0);
    const pid_t run = StartRun();
    ASSERT_GT(run, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return RecordLines(Log("20260301")).size() >= 5; }));
    const int status = test::EndProcess(run, SIGTERM);
    test::EndProcess(sim, SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Errors().find(Str(551)), std::string::npos);
    ExpectSimulatorValues(Log("20260301"));
}

}  // namespace
}  // namespace svu
