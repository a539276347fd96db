// The data logger station end to end against stratavue-sim's logger on a pseudo-terminal: the
// memory download through a late echo, cancelling it, clearing the memory, a logger that refuses
// or says nothing, and stratavue-cli run logging its real-time lines through damage and a pulled
// cable.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "e2e/ProgramSupport.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#include "framework/RecordingUserInterface.h"
#include "framework/TextUtil.h"
#include "loggers/ConvertLoggerData.h"
#include "loggers/NdrSetupJson.h"
#include "loggers/WSNDR.h"
#include "sim/NdrSimulator.h"
#include "stations/StationReports.h"
#include "stations/StationHost.h"

namespace svu {
namespace {

using test::Lines;
using test::ReadFileBytes;

const std::vector<std::string> kNames = {"Temp", "Humidity", "Wind", "Rain"};

// An operation's host whose stop request (the user's cancel) comes once the transfer has begun.
class OperationHost : public StationHost {
public:
    bool StopRequested() const override {
        if (!cancelOnTransfer) {
            return false;
        }
        for (const std::string& line : ui.Progress()) {
            if (line.rfind("Downloading logged data", 0) == 0) {
                return true;
            }
        }
        return false;
    }
    UserInterface& Ui() override { return ui; }
    Clock& GetClock() override { return SystemClock(); }

    bool cancelOnTransfer = false;
    mutable test::RecordingUserInterface ui;
};

class NdrLoggerTest : public ::testing::Test {
protected:
    void StartLogger(sim::NdrSimOptions options) {
        options.logger.channels = 4;
        options.memoryFile = folder.File("memory.bin");
        simulator = std::make_unique<sim::NdrSimulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM1", simulator->DevicePath());
    }
    std::unique_ptr<WSNDR> Logger() const {
        auto station = std::make_unique<WSNDR>("Logger");
        station->SetLoggerChannels(kNames);
        station->SetPortSettingsPath(folder.File("stratavue.ini"));
        station->logErrors = 1;
        return station;
    }
    // What the logger's memory converts to, as the card conversion does it.
    std::string ExpectedLog() const {
        const std::string path = folder.File("expected.log");
        EXPECT_EQ(ConvertLoggerRecords(kNames, folder.File("memory.bin"), path).error, LoggerConversionError::None);
        return ReadFileBytes(path);
    }

    test::ProgramFolder folder;
    std::unique_ptr<sim::NdrSimulator> simulator;
};

TEST_F(NdrLoggerTest, FiftyThousandRecordsThroughALateEchoConvertToTheLoggersRecords) {
    sim::NdrSimOptions options;
    options.logger.records = 50000;
    options.logger.echoDelayMs = 400;
    StartLogger(options);
    StationList stations;
    stations.push_back(Logger());
    folder.Save(stations);

    const std::string out = folder.File("download.log");
    const test::CliResult r =
        test::RunCli({"--program-dir", folder.Path(), "instrument", "--station", "Logger", "download", out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("50000 records written"), std::string::npos) << r.out;
    const std::string log = ReadFileBytes(out);
    EXPECT_TRUE(log == ExpectedLog()) << "the downloaded image is shifted or damaged";
    EXPECT_EQ(Lines(log).size(), 5u + 50000u);
    EXPECT_EQ(Lines(log)[5], "14/11/23, 22:13:20, -3, -2, -1, 0");
}

TEST_F(NdrLoggerTest, ACancelledDownloadLeavesNoFileBehind) {
    sim::NdrSimOptions options;
    options.logger.records = 20000;
    StartLogger(options);
    const std::string temporary = folder.File("tmp");
    std::filesystem::create_directories(temporary);
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv("TMPDIR", temporary.c_str(), 1);

    std::unique_ptr<WSNDR> logger = Logger();
    OperationHost host;
    host.cancelOnTransfer = true;
    logger->host = &host;
    const std::string out = folder.File("cancelled.log");
    logger->Download(out);
    logger->host = nullptr;
    previous != nullptr ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");

    EXPECT_FALSE(logger->LastOperationSucceeded());
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_TRUE(std::filesystem::is_empty(temporary)) << "the partial image was left behind";
    EXPECT_TRUE(host.ui.Messages().empty()) << "a cancel is no failure to tell about";
    EXPECT_FALSE(logger->portOpen);
}

TEST_F(NdrLoggerTest, ClearingEmptiesTheMemoryAndARefusalIsNoSuccess) {
    sim::NdrSimOptions options;
    options.logger.records = 10;
    StartLogger(options);
    SetReportFolder(folder.Path());
    std::unique_ptr<WSNDR> logger = Logger();
    OperationHost host;
    logger->host = &host;
    // The set-up transfers walk the same command line, and leave it and the port afterwards.
    EXPECT_TRUE(logger->UploadConfiguration());
    EXPECT_TRUE(logger->DownloadConfiguration());
    EXPECT_FALSE(logger->portOpen);
    EXPECT_TRUE(logger->ClearMemory());
    logger->Download(folder.File("empty.log"));
    EXPECT_TRUE(logger->LastOperationSucceeded());
    EXPECT_TRUE(logger->LoggerWasEmpty());
    EXPECT_FALSE(std::filesystem::exists(folder.File("empty.log")));
    ASSERT_FALSE(host.ui.Messages().empty());
    EXPECT_EQ(host.ui.Messages().back().text, "The logger is empty.");
    logger->host = nullptr;

    simulator->Stop();
    options.logger.reject = true;
    StartLogger(options);
    OperationHost refusedHost;
    logger->host = &refusedHost;
    EXPECT_FALSE(logger->ClearMemory());
    ASSERT_FALSE(refusedHost.ui.Messages().empty());
    EXPECT_EQ(refusedHost.ui.Messages().front().text, "rsmode(open)\nERROR - command rejected");
    logger->Download(folder.File("refused.log"));
    EXPECT_FALSE(logger->LastOperationSucceeded());
    EXPECT_EQ(refusedHost.ui.Messages().back().text,
              "Invalid response from weather station, the download operation has failed.");
    logger->host = nullptr;
    const std::string errors = ReadFileBytes(folder.File("error.txt"));
    SetReportFolder("");
    EXPECT_NE(errors.find("Invalid response from weather station"), std::string::npos) << errors;
}

// The set-up round trip as a user makes it: download to JSON, edit, look at the diff, upload; the
// simulated logger then holds the edit.
TEST_F(NdrLoggerTest, LoggerConfigDownloadsEditsAndUploadsThroughTheCable) {
    sim::NdrSimOptions options;
    options.configFile = folder.File("logger-setup.txt");
    StartLogger(options);
    StationList stations;
    stations.push_back(Logger());
    folder.Save(stations);
    const std::string json = folder.File("setup.json");
    const auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--program-dir", folder.Path(), "logger-config"});
        return test::RunCli(args);
    };
    test::CliResult r = cli({"download", "--station", "Logger", "--out", json});
    ASSERT_EQ(r.code, 0) << r.err;
    NDR setup;
    std::string error;
    ASSERT_TRUE(NdrFromJson(ReadFileBytes(json), setup, &error)) << error;
    setup.logRate = 3725;
    setup.dataChannels.channels[4].unit = "km/h";
    test::WriteFileBytes(json, NdrToJson(setup));

    r = cli({"diff", "--station", "Logger", "--in", json});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Channel 5 unit: \"\" -> \"km/h\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"01h02m05s\""), std::string::npos) << r.out;

    r = cli({"upload", "--station", "Logger", "--in", json, "--yes"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string held = ReadFileBytes(folder.File("logger-setup.txt"));
    EXPECT_NE(held.find("01h02m05s"), std::string::npos) << held;
    EXPECT_NE(held.find("km/h"), std::string::npos) << held;
}

// stratavue-cli run against stratavue-sim ndr, both as programs.
class NdrLoggerRun : public NdrLoggerTest {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(cli) || !std::filesystem::exists(program)) {
            GTEST_SKIP() << "stratavue-cli and stratavue-sim are not built";
        }
        std::filesystem::create_directories(folder.File("logs"));
        Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM1", link);
    }
    void TearDown() override {
        if (run > 0) {
            test::EndProcess(run, SIGTERM);
        }
        if (sim > 0) {
            test::EndProcess(sim, SIGTERM);
        }
    }
    void StartProgram(std::vector<std::string> options) {
        options.insert(options.begin(), {"ndr", "--channels", "4", "--link", link, "--transcript", transcript});
        sim = test::SpawnQuiet(program, options);
        ASSERT_GT(sim, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(link); }));
    }
    void StartRun(bool withFileStation = false) {
        StationList stations;
        std::unique_ptr<WSNDR> logger = Logger();
        logger->active = logger->loggingEnabled = logger->logAllValues = 1;
        logger->logFolder = folder.File("logs");
        stations.push_back(std::move(logger));
        if (withFileStation) {
            std::ofstream(folder.File("in.log"), std::ios::binary) << test::MakeLog(3);
            stations.push_back(folder.HillStation());
        }
        folder.Save(stations);
        run = test::SpawnQuiet(cli, {"--program-dir=" + folder.Path(), "run", "--for", "600"});
        ASSERT_GT(run, 0);
    }
    bool EndRun() {
        const int status = test::EndProcess(run, SIGTERM);
        run = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::string Errors() const { return ReadFileBytes(folder.File("error.txt")); }
    std::vector<std::string> Logged() const { return test::LoggedValues(folder.File("logs"), "Logger"); }
    // Every logged record is a line the logger sent intact.
    void ExpectOnlySentValues() const {
        const std::vector<std::string> sent = Lines(ReadFileBytes(transcript));
        const std::set<std::string> good(sent.begin(), sent.end());
        for (const std::string& values : Logged()) {
            EXPECT_TRUE(good.count(values) == 1) << values;
        }
    }

    const std::string cli = test::CliProgram();
    const std::string program = std::string(SVU_BINARY_DIR) + "/stratavue-sim";
    const std::string link = folder.File("com1");
    const std::string transcript = folder.File("sent.txt");
    pid_t sim = -1;
    pid_t run = -1;
};

TEST_F(NdrLoggerRun, RealtimeValuesAreLoggedAndDamagedLinesDroppedAndReported) {
    StartProgram({"--period", "150", "--corrupt-every", "3"});
    StartRun();
    EXPECT_TRUE(test::WaitUntil([&] { return Logged().size() >= 6; }));
    EXPECT_TRUE(test::WaitUntil([&] { return Errors().find("Real time data is corrupt") != std::string::npos; }));
    EXPECT_TRUE(EndRun());
    ExpectOnlySentValues();
}

TEST_F(NdrLoggerRun, WithoutChecksumAndThroughAPulledCable) {
    StartProgram({"--period", "150", "--no-checksum", "--unplug-after", "3", "--unplug-for", "2"});
    StartRun();
    ASSERT_TRUE(test::WaitUntil([&] { return Errors().find("no longer available") != std::string::npos; }));
    ASSERT_TRUE(test::WaitUntil([&] { return Errors().find("available again") != std::string::npos; }));
    const std::size_t before = Logged().size();
    EXPECT_TRUE(test::WaitUntil([&] { return Logged().size() >= before + 4; }));
    EXPECT_TRUE(EndRun());
    ExpectOnlySentValues();
}

TEST_F(NdrLoggerRun, ASilentLoggerIsReportedAndTheServiceGoesOn) {
    StartProgram({"--silent"});
    StartRun(true);
    EXPECT_TRUE(
        test::WaitUntil([&] { return Errors().find("Invalid response from weather station") != std::string::npos; }));
    // The other station goes on logging meanwhile.
    EXPECT_TRUE(test::WaitUntil([&] { return !test::LoggedRecords(folder.File("logs"), "Hill").empty(); }));
    EXPECT_TRUE(EndRun());
    EXPECT_TRUE(Logged().empty());
}

}  // namespace
}  // namespace svu
