#include <gtest/gtest.h>

#include <stdexcept>

#include "StationTestSupport.h"
#include "framework/FieldVisitor.h"
#include "stations/Alarm.h"
#include "stations/ProcessedData.h"
#include "stations/WSDirect.h"

namespace svu {
namespace {

// Twice its source channel; remembers what it saw so ordering can be checked.
class Doubler : public ProcessedData {
public:
    explicit Doubler(WeatherStation* owner) : ProcessedData(owner, 0) {}
    const char* ClassName() const override { return "Doubler"; }
    std::unique_ptr<ProcessedData> Clone() const override { return std::make_unique<Doubler>(*this); }
    void Calculate(int output) override {
        if (const std::string* text = SourceText(source)) {
            WriteNumber(output, 2 * std::stod(*text));
        }
    }
    void VisitFields(FieldVisitor& v) override { v.Int32("sourceChannel", source); }
    int32_t source = 0;
};

// A station whose "instrument" delivers a fixed list of readings, then stops the run.
class ScriptedStation : public WSDirect {
public:
    using WSDirect::WSDirect;
    void ThreadFunction(StationHost& host) override {
        RunAcquisition(host, [&] {
            if (next == readings.size()) {
                if (throwAtEnd) {
                    throw std::runtime_error("instrument vanished");
                }
                static_cast<test::FakeHost&>(host).stop = true;
                return;
            }
            const std::string value = readings[next++];
            StoreReading(host.GetClock().Now(), [&](std::vector<std::string>& v) { v[0] = value; });
            host.GetClock().SleepFor(std::chrono::seconds(60));
        });
    }
    bool StartRealtime() override {
        ++starts;
        return true;
    }
    void ClosePort() override { ++closes; }

    std::vector<std::string> readings;
    size_t next = 0;
    bool throwAtEnd = false;
    int starts = 0;
    int closes = 0;
};

TEST(StationCore, ReadingsFlowThroughDerivedChannelsAlarmsAndLogInOrder) {
    test::FakeHost host(FromLocal(2026, 12, 5, 10, 0, 0));
    test::ReportScope scope(&host.clock);
    ScriptedStation station("Hilltop");
    station.channelNames = {"Wind", "Double"};
    station.rawChannelCount = 1;
    station.channelCount = 2;
    station.derived.push_back(std::make_unique<Doubler>(&station));
    station.ResetValues();
    station.loggingEnabled = station.logAllValues = 1;
    station.logFolder = scope.dir.Path().string();
    auto alarm = std::make_unique<Alarm>();
    alarm->name = "Doubled";
    alarm->enabled = 1;
    alarm->channel = 1;  // the derived channel: it is computed before the alarm looks
    alarm->threshold = 50.0f;
    station.alarms.push_back(std::move(alarm));
    station.readings = {"20", "30"};

    StationThreadEntry(station, host);
    EXPECT_FALSE(station.threadRunning);
    EXPECT_EQ(station.host, nullptr);
    EXPECT_EQ(station.starts, 1);
    EXPECT_EQ(station.closes, 1);
    EXPECT_TRUE(station.newData);
    EXPECT_EQ(station.values, (std::vector<std::string>{"30", "60"}));
    EXPECT_EQ(station.lastDataTime.load(), FromLocal(2026, 12, 5, 10, 1, 0));
    EXPECT_TRUE(station.alarms[0]->triggered);
    EXPECT_EQ(station.alarmText.find("Alarm: \"Doubled\" triggered at " + FormatUserTime(station.readingTime)), 0u);
    EXPECT_EQ(test::ReadFileBytes(LogFileName(station.logFolder, "Hilltop", 2026, 12, 5)),
              "2\r\nWind\r\nDouble\r\n05/12/26, 10:00:00, 20, 40\r\n05/12/26, 10:01:00, 30, 60\r\n");

    // A failure inside the thread is reported and does not escape it.
    station.readings.push_back("1");
    station.throwAtEnd = true;
    host.stop = false;
    StationThreadEntry(station, host);
    EXPECT_FALSE(station.threadRunning);
    EXPECT_NE(scope.ErrorText().find("Hilltop: instrument vanished"), std::string::npos);
}

TEST(StationCore, DuplicateCopiesSettingsAndLinksClonesToTheCopy) {
    test::ReportScope scope;
    WSDirect original("Hilltop");
    original.channelNames = {"Wind", "Double"};
    original.rawChannelCount = 1;
    original.channelCount = 2;
    original.derived.push_back(std::make_unique<Doubler>(&original));
    original.ResetValues();
    original.values = {"5", "10"};
    original.loggerInterval = 7;
    original.baudRate = 19200;
    original.nextLogTime = 12345;

    std::unique_ptr<WeatherStation> copy = original.Duplicate();
    auto& direct = dynamic_cast<WSDirect&>(*copy);
    EXPECT_EQ(direct.name, "");
    EXPECT_EQ(direct.baudRate, 19200);
    EXPECT_EQ(direct.loggerInterval, 7);
    EXPECT_EQ(direct.nextLogTime, 12345);
    EXPECT_EQ(direct.values, std::vector<std::string>(2));
    ASSERT_EQ(direct.derived.size(), 1u);
    EXPECT_EQ(direct.derived[0]->station, copy.get());

    // The copy computes into its own table; the original's values stay as they were.
    direct.values[0] = "7";
    direct.CalculateDerivedChannels();
    EXPECT_EQ(direct.values[1], "14");
    EXPECT_EQ(original.values[1], "10");
}

TEST(StationCore, TheBaseOperationsSayTheyShouldNeverBeSeen) {
    test::FakeHost host(0);
    class Bare : public WeatherStation {
    public:
        const char* ClassName() const override { return "Bare"; }
        std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    } bare;
    EXPECT_FALSE(bare.InitComms(host));
    bare.ThreadFunction(host);
    const auto messages = host.ui.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "WeatherStation::InitComms() this should never be seen");
    EXPECT_EQ(messages[1].text, "WeatherStation::ThreadFunction() this should never be seen");
    EXPECT_EQ(bare.logInterval, 60);
    EXPECT_EQ(bare.loggerInterval, 2);
    EXPECT_EQ(bare.gustPeriod, 10);
    EXPECT_EQ(bare.nextLogTime, FromLocal(1970, 1, 1, 0, 0, 0));
}

}  // namespace
}  // namespace svu
