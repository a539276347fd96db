// The line-sending instruments end to end: stratavue-sim plays the instrument on a
// pseudo-terminal with its faults switched on (damaged and over-long lines, wrong answers, a
// pulled cable), stratavue-cli run acquires from it, and the log holds what the simulator says it
// sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "e2e/ProgramSupport.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "loggers/WS310320.h"
#include "loggers/WSParticleCounter.h"
#include "loggers/WSSpeedAndDirection.h"
#include "loggers/WSTriscan.h"

namespace svu {
namespace {

using test::EndProcess;
using test::Lines;
using test::ReadFileBytes;
using test::Words;

class LineInstrumentRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(cli) || !std::filesystem::exists(simulator)) {
            GTEST_SKIP() << "stratavue-cli and stratavue-sim are not built";
        }
        std::filesystem::create_directories(folder.File("logs"));
        Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM1", link);  // every kind starts on port 1
    }
    void TearDown() override {
        if (run > 0) {
            EndProcess(run, SIGTERM);
        }
        if (sim > 0) {
            EndProcess(sim, SIGTERM);
        }
    }
    void StartSimulator(const std::string& instrument, std::vector<std::string> options) {
        options.insert(options.begin(), {instrument, "--link", link, "--transcript", transcript});
        sim = test::SpawnQuiet(simulator, options);
        ASSERT_GT(sim, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(link); }));
    }
    // Saves the station (on COM1, logging every value) and starts the service.
    void StartRun(std::unique_ptr<WeatherStation> station) {
        station->active = station->logErrors = station->loggingEnabled = station->logAllValues = 1;
        station->logFolder = folder.File("logs");
        StationList stations;
        stations.push_back(std::move(station));
        folder.Save(stations);
        run = test::SpawnQuiet(cli, {"--program-dir=" + folder.Path(), "run", "--for", "600"});
        ASSERT_GT(run, 0);
    }
    // Ends the service; true when it ended cleanly.
    bool EndRun() {
        const int status = EndProcess(run, SIGTERM);
        run = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::string Errors() const { return ReadFileBytes(folder.File("error.txt")); }
    std::set<std::string> Sent() const {
        const std::vector<std::string> lines = Lines(ReadFileBytes(transcript));
        return {lines.begin(), lines.end()};
    }
    // Waits until the device was lost and found again, and `records` more readings came after.
    void ExpectRecoveryThen(std::size_t records, const std::function<std::size_t()>& count) {
        ASSERT_TRUE(test::WaitUntil([&] { return Errors().find("no longer available") != std::string::npos; }));
        ASSERT_TRUE(test::WaitUntil([&] { return Errors().find("available again") != std::string::npos; }));
        const std::size_t before = count();
        EXPECT_TRUE(test::WaitUntil([&] { return count() >= before + records; }));
    }

    const std::string cli = std::string(SVU_BINARY_DIR) + "/stratavue-cli";
    const std::string simulator = std::string(SVU_BINARY_DIR) + "/stratavue-sim";
    test::ProgramFolder folder;
    const std::string link = folder.File("com1");
    const std::string transcript = folder.File("sent.txt");
    pid_t sim = -1;
    pid_t run = -1;
};

TEST_F(LineInstrumentRun, WindSensorThroughDamagedLinesAndAPulledCable) {
    StartSimulator("wind", {"--period", "120", "--corrupt-every", "4", "--long-every", "9", "--unplug-after", "3",
                            "--unplug-for", "2"});
    StartRun(std::make_unique<WSSpeedAndDirection>("Mast"));
    const auto records = [&] { return test::LoggedRecords(folder.File("logs"), "Mast").size(); };
    ASSERT_TRUE(test::WaitUntil([&] { return records() >= 2; })) << Errors();
    ExpectRecoveryThen(2, records);
    EXPECT_TRUE(EndRun());
    const std::set<std::string> sent = Sent();
    for (const auto& values : test::LoggedRecords(folder.File("logs"), "Mast")) {
        ASSERT_EQ(values.size(), 2u);
        EXPECT_TRUE(sent.count(values[0] + " " + values[1])) << values[0] << " " << values[1];
    }
    EXPECT_NE(Errors().find(Str(551)), std::string::npos);
}

TEST_F(LineInstrumentRun, ParticleCounterLogsCountsPerMinuteAtItsOwnTimes) {
    StartSimulator("particles", {"--period", "100", "--sample-seconds", "30", "--corrupt-every", "5", "--long-every",
                                 "7", "--start-time", "2026-03-01 00:10:00"});
    StartRun(std::make_unique<WSParticleCounter>("Dust"));
    const std::string log = folder.File("logs/Dust-20260301.log");
    ASSERT_TRUE(test::WaitUntil([&] { return Lines(ReadFileBytes(log)).size() >= 5 + 12; }));
    EXPECT_TRUE(EndRun());
    std::set<std::string> expected;
    for (const std::string& entry : Sent()) {
        const std::vector<std::string> w = Words(entry, ' ');
        ASSERT_EQ(w.size(), 7u) << entry;
        std::string record = w[0] + ", " + w[1];
        for (int i = 2; i < 6; ++i) {
            record += ", " + FormatG5(AtoF(w[static_cast<std::size_t>(i)]) * 60.0 / AtoF(w[6]));
        }
        expected.insert(record);
    }
    const std::vector<std::string> lines = Lines(ReadFileBytes(log));
    EXPECT_EQ(lines[0], "4");
    for (std::size_t i = 5; i < lines.size(); ++i) {
        EXPECT_TRUE(expected.count(lines[i])) << lines[i];
    }
    EXPECT_NE(Errors().find(Str(551)), std::string::npos);
}

TEST_F(LineInstrumentRun, SoundLevelMeterPolledThroughWrongAnswersAndAPulledCable) {
    StartSimulator("slm", {"--wrong-byte-every", "3", "--extra-byte-every", "4", "--unplug-after", "4",
                           "--unplug-for", "1"});
    StartRun(std::make_unique<WS310320>("Noise"));
    const auto records = [&] { return test::LoggedRecords(folder.File("logs"), "Noise").size(); };
    ASSERT_TRUE(test::WaitUntil([&] { return records() >= 2; }));
    ExpectRecoveryThen(2, records);
    EXPECT_TRUE(EndRun());
    std::set<std::string> expected;
    for (const std::string& entry : Sent()) {
        const std::vector<std::string> w = Words(entry, ' ');
        ASSERT_EQ(w.size(), 6u) << entry;
        std::string texts = w[0] + " " + w[1] + " " + w[2];
        for (int i = 3; i < 6; ++i) {
            texts += FormatC(" %g", static_cast<double>(static_cast<float>(AtoL(w[static_cast<std::size_t>(i)])) *
                                                       0.003125f));
        }
        expected.insert(texts);
    }
    for (const auto& values : test::LoggedRecords(folder.File("logs"), "Noise")) {
        ASSERT_EQ(values.size(), 10u);
        const std::string texts =
            values[0] + " " + values[1] + " " + values[2] + " " + values[3] + " " + values[4] + " " + values[5];
        EXPECT_TRUE(expected.count(texts)) << texts;
    }
}

TEST_F(LineInstrumentRun, ASilentSoundLevelMeterIsReportedAndTheServiceGoesOn) {
    StartSimulator("slm", {"--silent"});
    StartRun(std::make_unique<WS310320>("Noise"));
    ASSERT_TRUE(test::WaitUntil([&] { return Errors().find(Str(557)) != std::string::npos; }));
    EXPECT_TRUE(EndRun());  // the service itself keeps running without the meter
    EXPECT_TRUE(test::LoggedRecords(folder.File("logs"), "Noise").empty());
}

TEST_F(LineInstrumentRun, SoundLevelMeterOnlineWritesPeriodAndProfileFiles) {
    StartSimulator("slm", {"--online", "--period", "100", "--long-every", "8", "--start-time", "2026-03-01 00:10:00",
                           "--unplug-after", "2", "--unplug-for", "1"});
    auto meter = std::make_unique<WS310320>("Noise");
    meter->onlineMode = 1;
    meter->channelNames = {"LAeq", "LAFmax", "LAFmin", "", "", "", "", "", "", "LAF"};
    StartRun(std::move(meter));
    const std::string per = folder.File("logs");
    const auto periods = [&] { return test::LoggedRecords(per, "Noise", ".per").size(); };
    ASSERT_TRUE(test::WaitUntil([&] { return periods() >= 3; }));
    ExpectRecoveryThen(3, periods);
    EXPECT_TRUE(EndRun());
    std::set<std::string> sentPeriods;
    std::set<std::string> sentProfiles;
    for (const std::string& entry : Sent()) {
        const std::vector<std::string> w = Words(entry, ',');
        if (w.size() == 8) {
            sentPeriods.insert(w[0] + ", " + w[1] + ", " + w[3] + ", " + w[5] + ", " + w[7]);
        } else {
            sentProfiles.insert(w.at(1));
        }
    }
    const std::string first = ReadFileBytes(folder.File("logs/Noise-20260301.per"));
    EXPECT_EQ(first.rfind("3\r\nLAeq\r\nLAFmax\r\nLAFmin\r\n", 0), 0u);
    for (const std::string& line : Lines(first)) {
        if (line.find('/') == 2) {
            EXPECT_TRUE(sentPeriods.count(line)) << line;
        }
    }
    const auto profiles = test::LoggedRecords(folder.File("logs"), "Noise", ".pro");
    ASSERT_FALSE(profiles.empty());
    for (const auto& values : profiles) {
        EXPECT_TRUE(sentProfiles.count(values.at(0))) << values.at(0);
    }
    EXPECT_NE(Errors().find("longer than 1021"), std::string::npos);
}

TEST_F(LineInstrumentRun, TriscanStreamsAgainAfterARestartThenDownloadsItsRecords) {
    // Damaged lines after the first of a second are dropped unseen; over-long ones are always reported.
    const std::vector<std::string> options = {"--period", "150", "--corrupt-every", "4", "--long-every", "5",
                                              "--records", "30", "--record-seconds", "600",
                                              "--start-time", "2026-03-01 12:00:00"};
    StartSimulator("triscan", options);
    StartRun(std::make_unique<WSTriscan>("Pier"));
    const auto records = [&] { return test::LoggedRecords(folder.File("logs"), "Pier").size(); };
    ASSERT_TRUE(test::WaitUntil([&] { return records() >= 3; }));
    // The instrument is restarted: it streams again only when told to.
    EndProcess(sim, SIGKILL);
    StartSimulator("triscan", options);
    ExpectRecoveryThen(3, records);
    EXPECT_TRUE(EndRun());
    const std::set<std::string> sent = Sent();
    for (const auto& values : test::LoggedRecords(folder.File("logs"), "Pier")) {
        ASSERT_EQ(values.size(), 2u);
        EXPECT_TRUE(sent.count(values[0] + " " + values[1])) << values[0] << " " << values[1];
    }
    EXPECT_NE(Errors().find(Str(551)), std::string::npos);

    const test::CliResult download = test::RunCli(
        {"--program-dir", folder.Path(), "instrument", "--station", "Pier", "download", folder.File("pier.log")});
    EXPECT_EQ(download.code, 0) << download.err;
    EXPECT_EQ(download.out, "30 records written to " + folder.File("pier.log") + "\n");
    std::string expected =
        "6\r\nAve. speed\r\nMax. speed\r\nMin. speed\r\nAve. direction\r\nMax. direction\r\nMin. direction\r\n";
    for (const std::string& entry : Lines(ReadFileBytes(transcript))) {
        if (entry.rfind("record ", 0) == 0) {
            expected += entry.substr(7) + "\r\n";
        }
    }
    EXPECT_EQ(ReadFileBytes(folder.File("pier.log")), expected);
    EXPECT_NE(expected.find("01/03/26, 07:00:00, "), std::string::npos);
}

}  // namespace
}  // namespace svu
