// The line-sending stations' worker threads against lines written by the test on a
// pseudo-terminal.

#include <gtest/gtest.h>

#include <memory>

#include <atomic>
#include <thread>

#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "loggers/WSParticleCounter.h"
#include "loggers/WSSpeedAndDirection.h"
#include "loggers/WSTriscan.h"
#include "platform/PseudoTerminal.h"
#include "platform/PtyTestUtil.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using testing::ReadMaster;
using testing::WriteMaster;
using test::WaitFor;

class LineStationTest : public ::testing::Test {
protected:
    LineStationTest() {
        pty.Open();
        Profile(reports.dir.File("stratavue.ini")).WriteString("Ports", "COM1", pty.SlavePath());
        host.clock = &clock;
    }
    ~LineStationTest() override { Stop(); }
    void Start(LineInstrumentStation& s) {
        station = &s;
        s.logErrors = 1;
        s.host = &host;
        thread = std::thread([this] { StationThreadEntry(*station, host); });
        ASSERT_TRUE(WaitFor([&] { std::lock_guard guard(station->lock); return station->portOpen != 0; }));
    }
    void Stop() {
        host.stop = true;
        if (thread.joinable()) {
            thread.join();
        }
        if (station != nullptr) {
            station->host = nullptr;
        }
    }
    // The fixture owns the stations, so they outlive their threads, which Stop() ends first.
    template <class T>
    T& Own(std::unique_ptr<T> s) {
        T& ref = *s;
        owned.push_back(std::move(s));
        return ref;
    }
    std::vector<std::string> Values() {
        std::lock_guard guard(station->lock);
        return station->values;
    }

    test::ReportScope reports;
    PseudoTerminal pty;
    ManualClock clock{FromLocal(2026, 12, 5, 14, 0, 0)};
    test::ThreadHost host;
    std::vector<std::unique_ptr<WeatherStation>> owned;
    LineInstrumentStation* station = nullptr;
    std::thread thread;
};

TEST_F(LineStationTest, WindSensorStoresOneReadingASecondAndReportsRangeErrors) {
    auto& wind = Own(std::make_unique<WSSpeedAndDirection>("Mast"));
    Start(wind);
    // Both lines arrive within one clock second: the second is dropped.
    WriteMaster(pty.MasterFd(), "WSD 270 12.5 A\r\nWSD 100 05.0 A\r\n");
    ASSERT_TRUE(WaitFor([&] { return Values()[0] == "270"; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Values(), (std::vector<std::string>{"270", "12.5"}));
    clock.Advance(std::chrono::seconds(2));
    WriteMaster(pty.MasterFd(), "WSD 360 12.5 A\r\n");
    ASSERT_TRUE(WaitFor([&] { return reports.ErrorText().find(Str(551)) != std::string::npos; }));
    clock.Advance(std::chrono::seconds(2));
    WriteMaster(pty.MasterFd(), "WSD 090 03.2 A\r\n");
    ASSERT_TRUE(WaitFor([&] { return Values()[0] == "090"; }));
    EXPECT_EQ(Values()[1], "03.2");
}

TEST_F(LineStationTest, ParticleCounterStoresRatesAtTheCountersTime) {
    auto& dust = Own(std::make_unique<WSParticleCounter>("Dust"));
    Start(dust);
    WriteMaster(pty.MasterFd(), "05-12-26,14:00:00,1,2,3,4,30\r\n05/12/26,14:00:30,10,20,30,40,30\r\n");
    ASSERT_TRUE(WaitFor([&] { return Values()[3] == "80"; }));
    EXPECT_EQ(Values(), (std::vector<std::string>{"20", "40", "60", "80"}));
    std::lock_guard guard(dust.lock);
    EXPECT_EQ(dust.readingTime, FromLocal(2026, 12, 5, 14, 0, 30));
    EXPECT_NE(reports.ErrorText().find(Str(551)), std::string::npos);
}

TEST_F(LineStationTest, TriscanIsSwitchedIntoAndOutOfItsStream) {
    auto& pier = Own(std::make_unique<WSTriscan>("Pier"));
    Start(pier);
    EXPECT_EQ(ReadMaster(pty.MasterFd(), 2000, "X\r"), "X\r");
    WriteMaster(pty.MasterFd(), "12.5,090\r\n");
    ASSERT_TRUE(WaitFor([&] { return Values()[1] == "090"; }));
    EXPECT_EQ(Values()[0], "12.5");
    Stop();
    EXPECT_EQ(ReadMaster(pty.MasterFd(), 2000, "Z\r"), "Z\r");
    EXPECT_EQ(pier.portOpen, 0);
}

}  // namespace
}  // namespace svu
