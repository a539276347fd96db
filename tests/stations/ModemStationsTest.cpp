// The dial-up kinds against the simulated modem: WSModem with the Direct instrument behind the
// line (calls on the grid, BUSY, a line lost mid-call, the memory download in a call of its own),
// and WSModemVela with a Vela logger (averaging, vector averaging of directions).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "sim/DirectBehindModem.h"
#include "sim/DirectSimulator.h"
#include "sim/ModemDevice.h"
#include "sim/PtyDeviceRunner.h"
#include "sim/VelaLogger.h"
#include "stations/StationTestSupport.h"
#include "stations/WSModem.h"
#include "stations/WSModemVela.h"

namespace svu {
namespace {

using test::Count;
using test::FastCalendarClock;
using test::ReadFileBytes;
using test::WaitFor;
using Host = test::ThreadHost;

class ModemStationsTest : public ::testing::Test {
protected:
    ~ModemStationsTest() override {
        StopThread();
        if (runner) {
            runner->Stop();
        }
    }
    void Serve(sim::ModemSimOptions options, std::unique_ptr<sim::SimDevice> instrument) {
        options.guardMs = 100;
        modem = std::make_unique<sim::ModemDevice>(options, std::move(instrument));
        runner = std::make_unique<sim::PtyDeviceRunner>(*modem);
        std::string error;
        ASSERT_TRUE(runner->Start(reports.dir.File("modem"), &error)) << error;
    }
    template <class Station>
    void Prepare(Station& station) {
        station.modemName = reports.dir.File("modem");
        station.phoneNumber = "0800";
        station.callInterval = 5;
        station.logErrors = station.loggingEnabled = station.logAllValues = 1;
        station.logFolder = reports.dir.Path().string();
        station.host = &host;
    }
    // The thread is ended before the station it runs goes out of scope, however the test ends.
    struct Joiner {
        ModemStationsTest* test;
        ~Joiner() { test->StopThread(); }
    };
    [[nodiscard]] Joiner StartThread(WeatherStation& station) {
        thread = std::thread([&station, this] { StationThreadEntry(station, host); });
        return Joiner{this};
    }
    void StopThread() {
        host.stop = true;
        if (thread.joinable()) {
            thread.join();
        }
    }
    std::vector<sim::ModemCall> Calls() {
        return runner->WithDevice([this](sim::SimDevice&) { return modem->Calls(); });
    }

    test::ReportScope reports;
    test::RuntimeDirScope runtimeDir{reports.dir.File("run")};
    Host host;
    std::unique_ptr<sim::ModemDevice> modem;
    std::unique_ptr<sim::PtyDeviceRunner> runner;
    std::thread thread;
};

TEST(VelaAverage, DirectionsAsVectorsOthersArithmetically) {
    const std::vector<std::string> lines = {"01/01/26,00:00:01,10,350", "01/01/26,00:00:02,11,10",
                                            "01/01/26,00:00:03,12"};
    EXPECT_EQ(AverageVelaLines(lines, 3, {0, 3, 0}), (std::vector<std::string>{"11", "0", ""}));
    EXPECT_EQ(AverageVelaLines({"d,t,80", "d,t,100"}, 1, {3}), (std::vector<std::string>{"90"}));
    EXPECT_EQ(AverageVelaLines({"d,t,350", "d,t,340"}, 1, {3}), (std::vector<std::string>{"345"}));
    EXPECT_EQ(AverageVelaLines({"d,t,90", "d,t,270"}, 1, {3})[0].size() <= 5, true);
    EXPECT_EQ(AverageVelaLines({"d,t,1.5", "d,t,2"}, 1, {0}), (std::vector<std::string>{"1.75"}));
}

TEST(ModemGrid, CallsKeepToTheGridAndSkipMissedTimes) {
    const TimeT start = FromLocal(2026, 3, 1, 9, 10, 0);
    // A call at 09:10 that ended at 09:12 is followed by one at 09:40 ...
    EXPECT_EQ(ModemLine::NextOnGrid(start, start + 120, 30), FromLocal(2026, 3, 1, 9, 40, 0));
    // ... and one that ended after 09:40 by one at 10:10.
    EXPECT_EQ(ModemLine::NextOnGrid(start, FromLocal(2026, 3, 1, 9, 41, 0), 30), FromLocal(2026, 3, 1, 10, 10, 0));
    EXPECT_EQ(ModemLine::NextOnGrid(start + 3600, start, 30), start + 3600);  // not yet due: unchanged
}

TEST_F(ModemStationsTest, ModemStationCallsOnItsGridThroughBusyAndALostLine) {
    sim::DirectSimOptions direct;
    direct.periodMs = 1500;
    sim::ModemSimOptions options;
    options.busyFirst = 1;
    options.dropEvery = 2;
    options.dropAfterMs = 300;
    Serve(options, std::make_unique<sim::DirectBehindModem>(direct));
    FastCalendarClock clock(FromLocal(2026, 3, 1, 10, 7, 0));
    host.clock = &clock;
    WSModem station("Valley");
    Prepare(station);
    station.rawChannelCount = station.channelCount = 8;
    station.channelNames.assign(8, "x");
    station.ResetValues();
    const Joiner joiner = StartThread(station);
    ASSERT_TRUE(WaitFor([&] { return Calls().size() >= 5 && Calls()[4].endTick >= 0; }, 120));
    StopThread();
    station.CloseLogFile();
    const std::vector<sim::ModemCall> calls = Calls();
    EXPECT_EQ(calls[0].result, "BUSY");
    EXPECT_EQ(calls[1].ended, "dropped");
    for (const sim::ModemCall& call : calls) {
        EXPECT_FALSE(call.overlap);
    }
    EXPECT_NE(reports.ErrorText().find(Str(552) + std::string(" (BUSY)")), std::string::npos) << reports.ErrorText();
    // One reading per call that got through: every call that ended normally stored one, and no
    // call stored more (a call whose line was lost may have got its line first).
    std::size_t completed = 0;
    std::size_t connected = 0;
    for (const sim::ModemCall& call : calls) {
        completed += call.ended == "ATH" ? 1 : 0;
        connected += call.result == "CONNECT" ? 1 : 0;
    }
    std::size_t records = 0;
    for (const auto& entry : std::filesystem::directory_iterator(reports.dir.Path())) {
        if (entry.path().extension() == ".log") {
            records += Count(ReadFileBytes(entry.path().string()), "\r\n") - 9;  // less the heading
        }
    }
    EXPECT_GE(completed, 2u);
    EXPECT_GE(records, completed);
    EXPECT_LE(records, connected);
}

TEST_F(ModemStationsTest, MemoryDownloadThroughACallEqualsTheDirectOne) {
    sim::DirectSimOptions direct;
    direct.records = 300;
    direct.startTime = FromLocal(2026, 3, 1, 12, 0, 0);
    Serve({}, std::make_unique<sim::DirectBehindModem>(direct));
    WSModem station("Valley");
    Prepare(station);
    host.ui.Answer(MsgResult::Yes);
    station.Download(reports.dir.File("modem.log"));
    ASSERT_TRUE(station.LastOperationSucceeded());
    EXPECT_FALSE(host.ui.Messages().empty());
    EXPECT_NE(host.ui.Messages()[0].text.find("phoning out to the Valley"), std::string::npos);
    ASSERT_EQ(Calls().size(), 1u);

    // The same instrument on a cable.
    direct.linkPath = reports.dir.File("ws1");
    sim::DirectSimulator cable(direct);
    std::string error;
    ASSERT_TRUE(cable.Start(&error)) << error;
    Profile(reports.dir.File("stratavue.ini")).WriteString("Ports", "COM9", direct.linkPath);
    WSDirect wired("Wired");
    wired.port = 9;
    wired.host = &host;
    wired.Download(reports.dir.File("direct.log"));
    ASSERT_TRUE(wired.LastOperationSucceeded());
    const std::string viaModem = ReadFileBytes(reports.dir.File("modem.log"));
    EXPECT_GT(Count(viaModem, "\r\n"), 200u);
    EXPECT_EQ(viaModem, ReadFileBytes(reports.dir.File("direct.log")));

    // Answering No phones nobody.
    host.ui.Answer(MsgResult::No);
    station.ClearMemory();
    EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(ModemStationsTest, VelaStationClearsStartsLoggingAndStoresTheAverageOfEachCall) {
    sim::VelaSimOptions vela;
    vela.lines = {"01/01/26,00:00:00,99,99"};
    vela.batch = {"10,350", "11,10", "12,0"};
    auto logger = std::make_unique<sim::VelaLogger>(vela);
    sim::VelaLogger* velaLogger = logger.get();
    Serve({}, std::move(logger));
    FastCalendarClock clock(FromLocal(2026, 3, 1, 10, 0, 0));
    host.clock = &clock;
    WSModemVela station("Ridge");
    Prepare(station);
    station.callInterval = 1;
    station.rawChannelCount = station.channelCount = 2;
    station.channelNames = {"Temp", "Dir"};
    station.channelTypes = {0, 3};
    station.ResetValues();
    const Joiner joiner = StartThread(station);
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard guard(station.lock);
        return !station.values[0].empty();
    }));
    {
        std::lock_guard guard(station.lock);
        EXPECT_EQ(station.values, (std::vector<std::string>{"11", "0"}));
    }
    StopThread();
    const std::vector<std::string> commands =
        runner->WithDevice([&](sim::SimDevice&) { return velaLogger->Commands(); });
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ((std::vector<std::string>(commands.begin(), commands.begin() + 4)),
              (std::vector<std::string>{"CLEAR", "LOGON", "U", "CLAST"}));
    EXPECT_EQ(Calls()[0].ended, "ATH");
}

}  // namespace
}  // namespace svu
