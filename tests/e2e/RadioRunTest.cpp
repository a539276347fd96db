// The shared radio link in real runs of the service: stations of both radio kinds on one
// simulated radio are polled strictly one after another, each logging its own values; a silent
// remote does not hold the others up, and SIGTERM during its silent wait ends the run.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "e2e/FaultProcess.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#include "framework/TextUtil.h"
#include "loggers/InstrumentLines.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "loggers/WSCalyraWandDRadio.h"
#include "loggers/WSRadioModemVela.h"
#include "sim/PtyDeviceRunner.h"
#include "sim/RadioAir.h"
#include "sim/RadioModemPort.h"

namespace svu {
namespace {

using test::ReadFileBytes;

std::size_t Records(const std::string& log) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = log.find("01/03/26, ", at)) != std::string::npos; ++at) {
        ++n;
    }
    return n;
}

class RadioRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(test::CliProgram())) {
            GTEST_SKIP() << "stratavue-cli is not built";
        }
        std::filesystem::create_directories(folder.File("logs"));
    }
    void TearDown() override {
        for (auto& runner : runners) {
            runner->Stop();
        }
    }

    // The simulated radio with one port per station (so a second turn during another shows).
    void StartRadio(std::vector<sim::RadioRemote> remotes, int ports) {
        sim::RadioSimOptions options;
        options.remotes = std::move(remotes);
        options.startTime = FromLocal(2026, 3, 1, 12, 0, 0);
        options.transcript = folder.File("radio.txt");
        air = std::make_unique<sim::RadioAir>(options);
        Profile ini(folder.File("stratavue.ini"));
        for (int p = 1; p <= ports; ++p) {
            portDevices.push_back(std::make_unique<sim::RadioModemPort>(*air, p, SystemClock().TickMs()));
            runners.push_back(std::make_unique<sim::PtyDeviceRunner>(*portDevices.back()));
            std::string error;
            ASSERT_TRUE(runners.back()->Start(folder.File(FormatC("radio%d", p)), &error)) << error;
            ini.WriteString("Ports", FormatC("COM%d", p), runners.back()->DevicePath());
        }
    }

    template <class Station>
    Station& Add(const std::string& name, int port) {
        auto station = std::make_unique<Station>(name);
        station->active = station->logErrors = station->loggingEnabled = station->logAllValues = 1;
        station->logFolder = folder.File("logs");
        station->port = port;
        station->rawChannelCount = station->channelCount = 2;
        station->channelNames = {"A", "B"};
        station->ResetValues();
        stations.push_back(std::move(station));
        return static_cast<Station&>(*stations.back());
    }

    std::string Log(const std::string& name) const {
        return ReadFileBytes(folder.File("logs/" + name + "-20260301.log"));
    }
    // The remotes of the turns that reached one, in order.
    std::vector<std::string> Reached() const {
        std::vector<std::string> names;
        for (const sim::RadioTurn& turn : air->Turns()) {
            if (turn.remote != "none") {
                names.push_back(turn.remote);
            }
        }
        return names;
    }

    pid_t StartRun() {
        folder.Save(stations);
        return test::SpawnProgram(test::CliProgram(), {"--program-dir=" + folder.Path(), "run"}, folder.File("run.out"),
                                  folder.File("run.err"));
    }

    test::ProgramFolder folder;
    StationList stations;
    std::unique_ptr<sim::RadioAir> air;
    std::vector<std::unique_ptr<sim::RadioModemPort>> portDevices;
    std::vector<std::unique_ptr<sim::PtyDeviceRunner>> runners;
};

sim::RadioRemote Vela(int address, double mhz, std::string values) {
    sim::RadioRemote r;
    r.address = address;
    r.frequency = mhz;
    r.values = std::move(values);
    return r;
}

TEST_F(RadioRun, ThreeStationsArePolledStrictlyInTurnAndLogTheirOwnValues) {
    sim::RadioRemote logger;
    logger.kind = sim::RadioRemote::Kind::WandD;
    logger.channel = 9;
    logger.values = "33.3,44.4";
    StartRadio({Vela(1, 458.525, "11.1,12.1"), Vela(2, 458.6, "22.2,23.2"), logger}, 3);
    Add<WSRadioModemVela>("North", 1).address = 1;
    auto& south = Add<WSRadioModemVela>("South", 2);
    south.address = 2;
    south.frequency = 458.6f;
    Add<WSCalyraWandDRadio>("East", 3).radioChannel = 9;

    const pid_t run = StartRun();
    ASSERT_GT(run, 0);
    // Every station once, and the first again after the last.
    EXPECT_TRUE(test::WaitUntil([&] {
        return Records(Log("North")) >= 2 && Records(Log("South")) >= 1 && Records(Log("East")) >= 1;
    })) << ReadFileBytes(folder.File("radio.txt"));
    ::kill(run, SIGTERM);
    const int status = test::WaitForExit(run);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_EQ(air->Overlaps(), 0) << ReadFileBytes(folder.File("radio.txt"));
    const std::vector<std::string> reached = Reached();
    const std::string order[] = {"vela 1@458.525", "vela 2@458.600", "wd 9"};
    ASSERT_GE(reached.size(), 4u);
    for (std::size_t i = 0; i < reached.size(); ++i) {
        EXPECT_EQ(reached[i], order[i % 3]) << i;
    }
    for (const auto& [name, values] :
         {std::pair{"North", "11.1, 12.1"}, {"South", "22.2, 23.2"}, {"East", "33.3, 44.4"}}) {
        const std::string log = Log(name);
        EXPECT_NE(log.find(std::string(", ") + values + "\r\n"), std::string::npos) << name << ": " << log;
        for (const char* other : {"11.1", "22.2", "33.3"}) {
            EXPECT_EQ(log.find(other) != std::string::npos, std::string(values).rfind(other, 0) == 0) << name;
        }
    }
}

TEST_F(RadioRun, ASilentStationDoesNotStallTheOthersAndSigtermEndsItsWait) {
    sim::RadioRemote quiet = Vela(3, 458.55, "1,2");
    quiet.failure = sim::RadioRemote::Failure::Silent;
    StartRadio({quiet, Vela(4, 458.55, "5.5,6.5")}, 2);
    auto& silent = Add<WSRadioModemVela>("Quiet", 1);
    silent.address = 3;
    silent.frequency = 458.55f;
    auto& talker = Add<WSRadioModemVela>("Talker", 2);
    talker.address = 4;
    talker.frequency = 458.55f;

    const pid_t run = StartRun();
    ASSERT_GT(run, 0);
    // Quiet's silent turn ends with "No data" and Talker is polled after it.
    EXPECT_TRUE(test::WaitUntil([&] {
        return Records(Log("Talker")) >= 1 &&
               ReadFileBytes(folder.File("error.txt")).find("Quiet") != std::string::npos;
    }));
    EXPECT_NE(ReadFileBytes(folder.File("error.txt")).find("No data"), std::string::npos);
    // Quiet's next turn: stopped while it waits for its remote.
    const auto quietTurns = [&] {
        const std::vector<std::string> reached = Reached();
        return std::count(reached.begin(), reached.end(), "vela 3@458.550");
    };
    ASSERT_TRUE(test::WaitUntil([&] { return quietTurns() >= 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(air->Turns().back().endMs < 0 && air->Turns().back().remote == "vela 3@458.550");
    const auto asked = std::chrono::steady_clock::now();
    ::kill(run, SIGTERM);
    const int status = test::WaitForExit(run);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // A failure guard only: the wait itself would have gone on for seconds more.
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
    EXPECT_EQ(air->Overlaps(), 0);
    EXPECT_GE(Records(Log("Talker")), 1u);
    EXPECT_EQ(Records(Log("Quiet")), 0u);
}

TEST_F(RadioRun, AHarburyLoggerTakesItsTurnAmongTheOthersAndLogsItsLine) {
    sim::RadioRemote logger = Vela(5, 458.65, "2");
    logger.kind = sim::RadioRemote::Kind::Ndr;
    logger.loggerChannels = 2;
    sim::RadioRemote wd;
    wd.kind = sim::RadioRemote::Kind::WandD;
    wd.channel = 9;
    wd.values = "33.3,44.4";
    StartRadio({Vela(1, 458.525, "11.1,12.1"), logger, wd}, 3);
    Add<WSRadioModemVela>("North", 1).address = 1;
    auto& ridge = Add<WSCalyraHarburyRadio>("Ridge", 2);
    ridge.address = 5;
    ridge.txAddress = 7;
    ridge.frequency = 458.65f;
    Add<WSCalyraWandDRadio>("East", 3).radioChannel = 9;

    // The logger's readings carry the time they were taken, not the simulated stations' date.
    const auto ridgeValues = [&] {
        std::vector<std::pair<double, double>> values;
        for (const auto& entry : std::filesystem::directory_iterator(folder.File("logs"))) {
            if (entry.path().filename().string().rfind("Ridge-", 0) != 0) {
                continue;
            }
            std::istringstream in(ReadFileBytes(entry.path().string()));
            std::string line;
            while (std::getline(in, line)) {
                const std::vector<std::string_view> fields = SplitFields(line);
                if (line.find('/') == 2 && fields.size() == 4) {
                    values.emplace_back(std::stod(std::string(Trim(fields[2]))), std::stod(std::string(Trim(fields[3]))));
                }
            }
        }
        return values;
    };
    const pid_t run = StartRun();
    ASSERT_GT(run, 0);
    EXPECT_TRUE(test::WaitUntil([&] {
        return ridgeValues().size() >= 1 && Records(Log("East")) >= 1 && Records(Log("North")) >= 2;
    })) << ReadFileBytes(folder.File("radio.txt")) << ReadFileBytes(folder.File("error.txt"))
        << ReadFileBytes(folder.File("run.err"));
    ::kill(run, SIGTERM);
    const int status = test::WaitForExit(run);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_EQ(air->Overlaps(), 0) << ReadFileBytes(folder.File("radio.txt"));
    const std::vector<std::string> reached = Reached();
    const std::string order[] = {"vela 1@458.525", "ndr 5@458.650", "wd 9"};
    ASSERT_GE(reached.size(), 4u);
    for (std::size_t i = 0; i < reached.size(); ++i) {
        EXPECT_EQ(reached[i], order[i % 3]) << i;
    }
    // The logger's own line: its second value is five above its first, and nothing of the others.
    for (const auto& [first, second] : ridgeValues()) {
        EXPECT_GE(first, 10.0);
        EXPECT_LT(first, 20.0);
        EXPECT_NEAR(second, first + 5.0, 1e-9);
    }
    EXPECT_EQ(Log("North").find("10."), std::string::npos);
}

}  // namespace
}  // namespace svu
