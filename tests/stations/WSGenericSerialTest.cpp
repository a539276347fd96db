// The generic serial station against a request/reply device on a pseudo-terminal, directly and
// through the simulated modem: readings stored from the scripts' result, failed polls storing
// nothing, stations sharing a port taking turns, calls on the grid.

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "platform/NamedMutex.h"
#include "sim/GenericDevice.h"
#include "sim/ModemDevice.h"
#include "sim/PtyDeviceRunner.h"
#include "stations/StationTestSupport.h"
#include "stations/WSGenericSerial.h"

namespace svu {
namespace {

using test::FastCalendarClock;
using test::ReadFileBytes;
using test::RecordLines;
using test::WaitFor;
using Host = test::ThreadHost;

// Values, then the checksum of their bytes, then CR LF; "{n}" counts the replies.
sim::GenericSimOptions Device(int badChecksumEvery = 0) {
    sim::GenericSimOptions options;
    options.answers.push_back({"R\r", "{n}.50;3.1;" + std::string(1, '\xC8')});
    options.checksum = true;
    options.end = "\r\n";
    options.badChecksumEvery = badChecksumEvery;
    return options;
}

constexpr const char* kReadScript =
    "flush\r\n"
    "send \"R\\r\"\r\n"
    "timeout 2000\r\n"
    "get \"\\r\\n\"\r\n"
    "if false break\r\n"
    "trim 0 0 2\r\n"
    "getrxchecksum\r\n"
    "trim 0 0 2\r\n"
    "testchecksum\r\n"
    "mask \"x;x;B\"\r\n"
    "wait 50\r\n";

class GenericSerialTest : public ::testing::Test {
protected:
    ~GenericSerialTest() override {
        StopAll();
        if (runner) {
            runner->Stop();
        }
    }
    // Owned by the fixture, so they outlive the threads whatever a test does.
    WSGenericSerial& Station(const std::string& name) {
        auto& station = owned.emplace_back(std::make_unique<WSGenericSerial>(name));
        station->port = 3;
        station->rawChannelCount = station->channelCount = 3;
        station->channelNames = {"A", "B", "C"};
        station->realtimeScript = kReadScript;
        station->loggingEnabled = station->logAllValues = station->logErrors = 1;
        station->logFolder = reports.dir.Path().string();
        station->ResetValues();
        station->host = &host;
        host.clock = &clock;
        return *station;
    }
    // The device is the fixture's, so it outlives the runner's thread.
    template <class Device>
    Device& Serve(std::unique_ptr<Device> served) {
        Device& device = *served;
        device_ = std::move(served);
        runner = std::make_unique<sim::PtyDeviceRunner>(device);
        std::string error;
        EXPECT_TRUE(runner->Start(reports.dir.File("dev"), &error)) << error;
        Profile(reports.dir.File("stratavue.ini")).WriteString("Ports", "COM3", reports.dir.File("dev"));
        return device;
    }
    // Every test ends its threads before its stations go.
    void StopAll() {
        host.stop = true;
        for (auto& t : threads) {
            t.join();
        }
        threads.clear();
    }
    void Start(WSGenericSerial& station) {
        threads.emplace_back([&station, this] { StationThreadEntry(station, host); });
    }
    std::string Log(const std::string& name, const std::string& day = "20260301") {
        return ReadFileBytes(reports.dir.File(name + "-" + day + ".log"));
    }

    test::ReportScope reports;
    test::RuntimeDirScope runtime{reports.dir.File("run")};
    FastCalendarClock clock{FromLocal(2026, 3, 1, 10, 7, 0)};
    Host host;
    std::unique_ptr<sim::SimDevice> device_;
    std::unique_ptr<sim::PtyDeviceRunner> runner;
    std::vector<std::unique_ptr<WSGenericSerial>> owned;
    std::vector<std::thread> threads;
};

TEST_F(GenericSerialTest, StoresEachGoodReplyAndNothingForABadChecksum) {
    Serve(std::make_unique<sim::GenericDevice>(Device(3)));
    WSGenericSerial& station = Station("Gen");
    Start(station);
    ASSERT_TRUE(WaitFor([&] { return RecordLines(Log("Gen")).size() >= 6; }));
    StopAll();
    station.CloseLogFile();
    // Replies 3, 6, 9, ... carried a wrong checksum: their values were never stored.
    int previous = 0;
    for (const std::string& record : RecordLines(Log("Gen"))) {
        const int n = AtoI(record.substr(record.find(',', 10) + 1));
        EXPECT_NE(n % 3, 0) << record;
        EXPECT_GT(n, previous) << "a reading was stored twice: " << record;
        previous = n;
        EXPECT_NE(record.find(".5, 3.1, 200"), std::string::npos) << record;
    }
    EXPECT_NE(reports.ErrorText().find(Str(557)), std::string::npos);
}

TEST_F(GenericSerialTest, StationsOnOnePortTakeTurns) {
    Serve(std::make_unique<sim::GenericDevice>(Device()));
    WSGenericSerial& first = Station("One");
    WSGenericSerial& second = Station("Two");
    Start(first);
    Start(second);
    ASSERT_TRUE(WaitFor([&] { return RecordLines(Log("One")).size() >= 3 && RecordLines(Log("Two")).size() >= 3; }));
    // Neither ever found the port taken by the other.
    StopAll();
    EXPECT_EQ(reports.ErrorText().find(Str(556)), std::string::npos) << reports.ErrorText();
    EXPECT_TRUE(host.ui.Messages().empty());
}

TEST_F(GenericSerialTest, CallsOnTheGridThroughAModemAndSurvivesABusyLine) {
    sim::ModemSimOptions modemOptions;
    modemOptions.busyFirst = 1;
    modemOptions.guardMs = 100;
    Serve(std::make_unique<sim::ModemDevice>(modemOptions, std::make_unique<sim::GenericDevice>(Device())));
    WSGenericSerial& station = Station("Dial");
    station.connection = WSGenericSerial::kModem;
    station.modemName = "3";
    station.phoneNumber = "0123";
    station.callInterval = 5;
    Start(station);
    ASSERT_TRUE(WaitFor([&] { return RecordLines(Log("Dial")).size() >= 2; }, 60));
    StopAll();
    const auto calls = runner->WithDevice([](sim::SimDevice& d) { return static_cast<sim::ModemDevice&>(d).Calls(); });
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].result, "BUSY");
    EXPECT_EQ(calls[1].result, "CONNECT");
    EXPECT_EQ(calls[1].dialled, "0123");
    for (std::size_t i = 1; i < calls.size(); ++i) {
        EXPECT_NE(calls[i].ended, "dropped");
        EXPECT_FALSE(calls[i].overlap);
    }
    EXPECT_NE(reports.ErrorText().find(Str(552)), std::string::npos);
    // Started at 10:07 with calls every 5 minutes: the busy call at 10:07, then 10:12, 10:17, ...
    const std::vector<std::string> records = RecordLines(Log("Dial"));
    EXPECT_NE(records[0].find("10:12:"), std::string::npos) << records[0];
    EXPECT_NE(records[1].find("10:17:"), std::string::npos) << records[1];
}

TEST(NamedMutex, HeldUntilReleasedAndSharedByName) {
    test::TempDir dir;
    NamedMutex a("port /dev/ttyS0", dir.Path().string());
    NamedMutex b("port /dev/ttyS0", dir.Path().string());
    NamedMutex other("modem /dev/ttyS1", dir.Path().string());
    ASSERT_TRUE(a.Lock());
    EXPECT_FALSE(b.TryLock());
    EXPECT_TRUE(other.TryLock());
    int tries = 0;
    EXPECT_FALSE(b.Lock([&] { return ++tries > 3; }));
    a.Unlock();
    EXPECT_TRUE(b.TryLock());
    EXPECT_EQ(NamedMutex::FileName("port /dev/tty S0"), "port__dev_tty_S0");
}

}  // namespace
}  // namespace svu
