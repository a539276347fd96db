#include <gtest/gtest.h>

#include <thread>

#include "StationTestSupport.h"
#include "framework/ClassRegistry.h"
#include "stations/Alarm.h"
#include "stations/StationFile.h"
#include "stations/StationJson.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST(ReportError, RepeatsWithinAMinuteAreCountedAndWrittenOnce) {
    ManualClock clock(FromLocal(2026, 12, 5, 14, 0, 0));
    test::ReportScope scope(&clock);
    for (int i = 0; i < 100; ++i) {
        // The detail in brackets differs (a line number): still the same problem.
        ReportError(nullptr, "Data corrupt [in.log:" + std::to_string(i) + "]");
        if (i == 50) {
            ReportError(nullptr, "Another problem\x1b[2J");
        }
        clock.Advance(std::chrono::milliseconds(590));
    }
    clock.Advance(std::chrono::seconds(2));
    ReportError(nullptr, "Data corrupt [in.log:7]");
    FlushReportRepeats();
    EXPECT_EQ(Lines(scope.ErrorText()),
              (std::vector<std::string>{"05/12/2026,  14:00:00, Data corrupt [in.log:0]",
                                        "05/12/2026,  14:00:29, Another problem\\e[2J",
                                        "05/12/2026,  14:01:01, Data corrupt [in.log:99] (repeated 99 times)",
                                        "05/12/2026,  14:01:01, Data corrupt [in.log:7]"}));
}

// Fails to start a number of times (each failure reported by the kind itself), then runs.
class LateInstrument : public WeatherStation {
public:
    explicit LateInstrument(int failures) : WeatherStation("Late"), failures_(failures) { logErrors = 1; }
    const char* ClassName() const override { return "LateInstrument"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    bool StartRealtime() override {
        ++attempts;
        if (attempts <= failures_) {
            ReportError(this, "No answer, attempt " + std::to_string(attempts));
            return false;
        }
        return true;
    }
    void ThreadFunction(StationHost& host) override {
        RunAcquisition(host, [&] {
            ++polls;
            static_cast<test::FakeHost&>(host).stop = true;
        });
    }
    int attempts = 0;
    int polls = 0;

private:
    int failures_;
};

TEST(RunAcquisition, AFailedStartIsRetriedWithAGrowingWaitAndReportedOnce) {
    test::FakeHost host(FromLocal(2026, 12, 5, 14, 0, 0));
    test::ReportScope scope(&host.clock);
    LateInstrument station(4);
    const int64_t start = host.clock.TickMs();
    StationThreadEntry(station, host);
    EXPECT_EQ(station.attempts, 5);
    EXPECT_EQ(station.polls, 1);
    EXPECT_GE(host.clock.TickMs() - start, 1000 + 2000 + 4000 + 8000);
    EXPECT_EQ(WeatherStation::RestartDelayMs(20), 60000);
    EXPECT_EQ(Lines(scope.ErrorText()),
              (std::vector<std::string>{"05/12/2026,  14:00:00, Late, No answer, attempt 1",
                                        "05/12/2026,  14:00:00, Late, Acquisition could not start; trying again "
                                        "until it does",
                                        "05/12/2026,  14:00:15, Late, Acquisition started after 5 attempts"}));
    EXPECT_EQ(TakeNotices().size(), 2u);

    // A stop request during the waits ends the thread without another attempt.
    LateInstrument never(1000);
    host.stop = false;
    std::thread thread([&] { StationThreadEntry(never, host); });
    while (host.clock.TickMs() - start < 100000) {
        std::this_thread::yield();
    }
    host.stop = true;
    thread.join();
    EXPECT_GE(never.attempts, 2);
    TakeNotices();
}

TEST(StationNames, ANameThatIsNoFileNamePartIsRefusedWhenRead) {
    test::ReportScope scope;
    ClassRegistry reg;
    reg.RegisterClass<Alarm>("Alarm");
    reg.RegisterClass<WSFile>("WSFile");
    for (const std::string name : {"../../x", "Hill\r\nFake", "a/b"}) {
        StationList list;
        list.push_back(std::make_unique<WSFile>(name));
        const std::string path = scope.dir.File("s.wsf");
        ASSERT_TRUE(SaveStationFile(path, list));
        const StationFileResult loaded = LoadStationFile(path, reg);
        EXPECT_EQ(loaded.failure, StationFileResult::Failure::Damaged) << name;
        EXPECT_NE(loaded.error.find("cannot name its log files"), std::string::npos) << loaded.error;
        EXPECT_EQ(loaded.error.find('\n'), std::string::npos);
        EXPECT_FALSE(StationListFromJson(StationListToJson(list), reg).error.empty()) << name;
    }
}

TEST(StationNames, ALogIsNeverWrittenOutsideItsFolder) {
    test::FakeHost host(FromLocal(2026, 12, 5, 14, 0, 0));
    test::ReportScope scope(&host.clock);
    std::filesystem::create_directories(scope.dir.File("logs"));
    WSFile station("../escaped");
    station.logErrors = station.loggingEnabled = station.logAllValues = 1;
    station.logFolder = scope.dir.File("logs");
    station.host = &host;
    station.StoreReading(host.clock.Now(), [](std::vector<std::string>&) {});
    EXPECT_FALSE(std::filesystem::exists(scope.dir.File("escaped-20261205.log")));
    EXPECT_NE(scope.ErrorText().find("the station name contains a '/'"), std::string::npos);
    EXPECT_EQ(TakeNotices().size(), 1u);
}

}  // namespace
}  // namespace svu
