// Faults a station PC meets, injected into real runs of the service: an input with no readable
// record, a full disk, a FIFO given as input, a second copy, a closed output, a hang-up and an
// instrument switched on after the service. Each checks that nothing accepted was lost or torn.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "e2e/FaultProcess.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#include "framework/TextUtil.h"
#include "stations/Alarm.h"
#include "stations/WSDirect.h"

namespace svu {
namespace {

using test::Lines;
using test::ReadFileBytes;
using test::WriteFileBytes;

// The record the Hill station logs for record `i` of test::MakeLog.
std::string HillRecord(int i) {
    const int h = 14 + (5 + i) / 60;
    const int m = (5 + i) % 60;
    return FormatC("05/12/26, %02d:%02d:00, 05/12/26, %02d:%02d:00,  %d,  %d.%d", h, m, h, m, 5 + i, i / 10, i % 10);
}

// The records of a Hill log, as indexes into test::MakeLog; -1 for a line that is none of them.
std::vector<int> RecordIndexes(const std::string& log, int records) {
    std::vector<int> indexes;
    const std::vector<std::string> lines = Lines(log);
    for (std::size_t k = 5; k < lines.size(); ++k) {  // after the header of 4 names
        int found = -1;
        for (int i = 0; i < records && found < 0; ++i) {
            if (lines[k] == HillRecord(i)) {
                found = i;
            }
        }
        indexes.push_back(found);
    }
    return indexes;
}

class FaultRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(test::CliProgram())) {
            GTEST_SKIP() << "stratavue-cli is not built";
        }
        std::filesystem::create_directories(folder.File("logs"));
    }

    // Saves the Hill station replaying `records` records once, ten a second, after `change`.
    void SaveHill(int records, const std::function<void(WSFile&)>& change = {}) {
        folder.SaveHill(records, [&](WSFile& hill) {
            hill.loop = 0;
            if (change) {
                change(hill);
            }
        });
    }

    pid_t StartRun(const std::vector<std::string>& extra = {}, int outFd = -1, const std::string& name = "run") {
        std::vector<std::string> args = {"--program-dir=" + folder.Path(), "run"};
        args.insert(args.end(), extra.begin(), extra.end());
        return test::SpawnProgram(test::CliProgram(), args, folder.File(name + ".out"), folder.File(name + ".err"),
                                  outFd);
    }

    std::string Log() const { return ReadFileBytes(folder.File("logs/Hill-20261205.log")); }
    std::string Errors() const { return ReadFileBytes(folder.File("error.txt")); }

    test::ProgramFolder folder;
};

TEST_F(FaultRun, AnInputWithNoReadableRecordDoesNotFloodTheErrorFile) {
    StationList stations;
    for (const int speed : {WSFile::kOnePerSecond, WSFile::kActualSpeed, WSFile::kMaximum}) {
        stations.push_back(folder.HillStation());
        auto& station = static_cast<WSFile&>(*stations.back());
        station.name = "Hill" + std::to_string(speed);
        station.speed = speed;
        station.loop = 1;
    }
    folder.Save(stations);
    WriteFileBytes(folder.File("in.log"), "2\r\nTemp\r\nRain\r\nnot a record\r\n05/12/26\r\n");
    const test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "run", "--for", "5"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string errors = Errors();
    // Each station: its first report of each damaged line, then the count of repeats at the stop.
    EXPECT_LE(Lines(errors).size(), 12u) << errors.substr(0, 2000);
    EXPECT_NE(errors.find("times)"), std::string::npos) << errors;
    std::cout << "[ figures  ] error.txt after 5 s of 3 looping damaged inputs: " << errors.size() << " bytes, "
              << Lines(errors).size() << " lines\n";
}

TEST_F(FaultRun, AFullDiskLosesOnlyWholeRecordsIsReportedOnceAndLoggingResumes) {
    constexpr int kRecords = 100;
    SaveHill(kRecords);
    const pid_t run = StartRun();
    ASSERT_GT(run, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return Lines(Log()).size() >= 5 + 15; }));
    // The file size limit stands for the full disk: the next record fits in part only.
    const rlimit full{static_cast<rlim_t>(std::filesystem::file_size(folder.File("logs/Hill-20261205.log")) + 30),
                      RLIM_INFINITY};
    ASSERT_EQ(::prlimit(run, RLIMIT_FSIZE, &full, nullptr), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const rlimit space{RLIM_INFINITY, RLIM_INFINITY};
    ASSERT_EQ(::prlimit(run, RLIMIT_FSIZE, &space, nullptr), 0);
    EXPECT_TRUE(test::WaitUntil([&] { return Log().find(HillRecord(kRecords - 1)) != std::string::npos; }));
    ::kill(run, SIGTERM);
    const int status = test::WaitForExit(run);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::string log = Log();
    EXPECT_TRUE(log.ends_with("\r\n"));
    const std::vector<int> indexes = RecordIndexes(log, kRecords);
    for (std::size_t k = 0; k < indexes.size(); ++k) {
        ASSERT_GE(indexes[k], 0) << "torn or merged record: " << Lines(log)[k + 5];
        if (k > 0) {
            EXPECT_GT(indexes[k], indexes[k - 1]);
        }
    }
    const int lost = kRecords - static_cast<int>(indexes.size());
    EXPECT_GT(lost, 0);
    const std::string err = ReadFileBytes(folder.File("run.err"));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;  // the outage and its end, once each
    EXPECT_NE(err.find("Unable to write to log file"), std::string::npos) << err;
    EXPECT_NE(err.find("Logging resumed"), std::string::npos) << err;
    std::cout << "[ figures  ] disk full for 1.5 s at 10 records/s: " << lost << " of " << kRecords
              << " records not logged, none torn\n";
}

TEST_F(FaultRun, AFifoGivenAsInputIsRefusedAndTheServiceStillStops) {
    SaveHill(0, [&](WSFile& hill) { hill.inputFile = folder.File("fifo"); });
    ASSERT_EQ(::mkfifo(folder.File("fifo").c_str(), 0600), 0);
    const pid_t run = StartRun();
    ASSERT_GT(run, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return Errors().find("not a regular file") != std::string::npos; }));
    ::kill(run, SIGTERM);
    const int status = test::WaitForExit(run);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FaultRun, ASecondCopyOnTheSameFolderNamesTheFirstAndExits) {
    SaveHill(400);
    const pid_t first = StartRun();
    ASSERT_GT(first, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return Lines(Log()).size() >= 5 + 3; }));
    const pid_t second = StartRun({"--for", "5"}, -1, "second");
    const int secondStatus = test::WaitForExit(second);
    ::kill(first, SIGTERM);
    const int firstStatus = test::WaitForExit(first);
    ASSERT_TRUE(WIFEXITED(secondStatus));
    EXPECT_EQ(WEXITSTATUS(secondStatus), 1);
    EXPECT_NE(ReadFileBytes(folder.File("second.err")).find("(process " + std::to_string(first) + ")"),
              std::string::npos)
        << ReadFileBytes(folder.File("second.err"));
    ASSERT_TRUE(WIFEXITED(firstStatus));
    const std::vector<int> indexes = RecordIndexes(Log(), 400);
    EXPECT_EQ(std::set<int>(indexes.begin(), indexes.end()).size(), indexes.size()) << "a record logged twice";
}

TEST_F(FaultRun, AClosedOutputAndAHangUpEndTheServiceCleanly) {
    SaveHill(30, [](WSFile& hill) {
        // An alert on every other pass of Temp over 20, so the service writes to its output.
        auto alarm = std::make_unique<Alarm>();
        alarm->enabled = 1;
        alarm->channel = 2;
        alarm->threshold = 20.0f;
        alarm->name = "Warm";
        hill.alarms.push_back(std::move(alarm));
        hill.loop = 1;
        hill.speed = WSFile::kMaximum;
    });
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);  // nobody reads the output
    const pid_t run = StartRun({}, fds[1]);
    ::close(fds[1]);
    ASSERT_GT(run, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return Lines(Log()).size() >= 5 + 40; }));  // past alerts
    ::kill(run, SIGHUP);
    const int status = test::WaitForExit(run);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Log().ends_with("\r\n"));
    for (const int index : RecordIndexes(Log(), 30)) {
        EXPECT_GE(index, 0);
    }
}

TEST_F(FaultRun, AnInstrumentSwitchedOnAfterTheServiceIsStartedWhenItAppears) {
    const std::string simulator = std::string(SVU_BINARY_DIR) + "/stratavue-sim";
    if (!std::filesystem::exists(simulator)) {
        GTEST_SKIP() << "stratavue-sim is not built";
    }
    const std::string link = folder.File("ws1");
    StationList stations;
    auto mast = std::make_unique<WSDirect>("Mast");
    mast->active = mast->logErrors = mast->loggingEnabled = mast->logAllValues = 1;
    mast->port = 5;
    mast->logFolder = folder.File("logs");
    mast->rawChannelCount = mast->channelCount = 8;
    mast->channelNames = {"T", "RH", "P", "WS", "WD", "Rain", "Sun", "Batt"};
    stations.push_back(std::move(mast));
    folder.Save(stations);
    Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM5", link);

    const pid_t run = StartRun();
    ASSERT_GT(run, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return Errors().find("could not start") != std::string::npos; }));
    const pid_t sim = test::SpawnProgram(
        simulator, {"direct", "--link", link, "--period", "100", "--start-time", "2026-03-01 00:10:00"},
        folder.File("sim.out"), folder.File("sim.err"));
    ASSERT_GT(sim, 0);
    const std::string logPath = folder.File("logs/Mast-20260301.log");
    EXPECT_TRUE(test::WaitUntil([&] { return Lines(ReadFileBytes(logPath)).size() >= 9 + 3; }));
    ::kill(run, SIGTERM);
    const int status = test::WaitForExit(run);
    ::kill(sim, SIGTERM);
    test::WaitForExit(sim);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string errors = Errors();
    EXPECT_NE(errors.find("Acquisition started after"), std::string::npos) << errors;
    EXPECT_LE(Lines(errors).size(), 5u) << errors;  // the failure and the retry once, not per attempt
}

}  // namespace
}  // namespace svu
