// The stored records of the instrument kinds, pinned against bytes written out by hand.

#include <gtest/gtest.h>

#include "framework/ClassRegistry.h"
#include "loggers/WS310320.h"
#include "loggers/WSParticleCounter.h"
#include "loggers/WSSpeedAndDirection.h"
#include "loggers/WSTriscan.h"
#include "stations/StationFile.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using test::Bytes;

const ClassRegistry& Registry() {
    static const ClassRegistry reg = [] {
        ClassRegistry r;
        r.RegisterClass<WSSpeedAndDirection>(WSSpeedAndDirection::kClassName);
        r.RegisterClass<WSParticleCounter>(WSParticleCounter::kClassName);
        r.RegisterClass<WSTriscan>(WSTriscan::kClassName);
        r.RegisterClass<WS310320>(WS310320::kClassName);
        return r;
    }();
    return reg;
}

// A station record with no alarms, no derived channels and the default settings, up to the
// kind's own fields.
Bytes& StationRecord(Bytes& b, int32_t typeCode, const std::string& name, const std::vector<std::string>& names,
                     const std::vector<uint32_t>& types) {
    b.U16(0);  // alarms
    b.U16(static_cast<uint16_t>(names.size()));
    for (const std::string& n : names) {
        b.Str(n);
    }
    b.U16(static_cast<uint16_t>(types.size()));
    for (const uint32_t t : types) {
        b.U32(t);
    }
    b.U16(0).U16(0);  // offsets, multipliers
    b.U16(0);         // derived channels
    const auto n = static_cast<int32_t>(names.size());
    b.I32(typeCode).Str(name).I32(0).I32(0).I32(0).I32(0).I32(0).I32(60).Str("");
    b.I32(n).I32(n).I32(0).Str("").I32(0);
    b.I32(0).I32(0);           // logAlarms, logErrors
    b.I32(2).I32(10).I32(0);  // loggerInterval, gustPeriod, passive
    return b;
}

void ExpectRoundTrip(const WeatherStation& station, const Bytes& b) {
    EXPECT_EQ(test::AsString(StationListBytes({&station})), b.b);
    StationFileResult loaded = ReadStationList(b.Vec(), Registry());
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    ASSERT_EQ(loaded.stations.size(), 1u);
    EXPECT_EQ(test::AsString(StationListBytes({loaded.stations[0].get()})), b.b);
}

TEST(LoggerRecords, LineInstrumentsStorePortAndSpeed) {
    test::ReportScope scope;
    Bytes wind;
    StationRecord(wind.U16(1).NewClass("WSSpeedAndDirection", 9), 5, "Mast",
                  {"Wind direction (deg)", "Wind speed (m/s)"}, {3, 1})
        .I32(1)
        .I32(4800);
    ExpectRoundTrip(WSSpeedAndDirection("Mast"), wind);

    Bytes dust;
    StationRecord(dust.U16(1).NewClass("WSParticleCounter", 9), 6, "Dust",
                  {"Channel 0", "Channel 1", "Channel 2", "Channel 3"}, {0, 0, 0, 0})
        .I32(1)
        .I32(38400);
    ExpectRoundTrip(WSParticleCounter("Dust"), dust);

    Bytes triscan;
    StationRecord(triscan.U16(1).NewClass("WSTriscan", 9), 7, "Pier", {"Wind speed (m/s)", "Wind direction (deg)"},
                  {1, 3})
        .I32(3)
        .I32(9600);
    WSTriscan pier("Pier");
    pier.port = 3;
    ExpectRoundTrip(pier, triscan);
}

TEST(LoggerRecords, SoundLevelMeterStoresItsModes) {
    test::ReportScope scope;
    Bytes b;
    StationRecord(b.U16(1).NewClass("WS310320", 9), 13, "Noise",
                  {"Overload", "Battery low", "Under range", "LEQ", "Peak", "SPL", "", "", "", ""}, {});
    b.I32(2).I32(19200).I32(1).I32(1);  // port, baudRate, resetOnRead, onlineMode
    WS310320 meter("Noise");
    meter.port = 2;
    meter.onlineMode = 1;
    ExpectRoundTrip(meter, b);
}

TEST(LoggerRecords, ASchema7MeterRecordHasNoOnlineMode) {
    test::ReportScope scope;
    Bytes b;
    StationRecord(b.U16(1).NewClass("WS310320", 7), 13, "Old", {"A", "B", "C", "D", "E", "F", "", "", "", ""}, {});
    b.I32(4).I32(9600).I32(0);
    StationFileResult loaded = ReadStationList(b.Vec(), Registry());
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    auto& meter = dynamic_cast<WS310320&>(*loaded.stations.at(0));
    EXPECT_EQ(meter.onlineMode, 0);
    EXPECT_EQ(meter.resetOnRead, 0);
    EXPECT_EQ(meter.port, 4);
    EXPECT_EQ(meter.channelNames[0], "A");
}

TEST(LoggerRecords, AShortMeterTableGetsTheTenChannelsOfItsMode) {
    test::ReportScope scope;
    Bytes b;
    StationRecord(b.U16(1).NewClass("WS310320", 9), 13, "Short", {"X", "Y"}, {});
    b.I32(1).I32(19200).I32(1).I32(1);
    StationFileResult loaded = ReadStationList(b.Vec(), Registry());
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    const WeatherStation& meter = *loaded.stations.at(0);
    EXPECT_EQ(meter.channelCount, 10);
    EXPECT_EQ(meter.values.size(), 10u);
    EXPECT_EQ(meter.channelNames[0], "Period function 1");
    EXPECT_EQ(meter.channelNames[8], "Period function 9");
    EXPECT_EQ(meter.channelNames[9], "Profile function 1");
}

TEST(LoggerRecords, DuplicatesCopyTheKindSettings) {
    WS310320 meter("Noise");
    meter.port = 6;
    meter.baudRate = 9600;
    meter.resetOnRead = 0;
    meter.onlineMode = 1;
    auto copy = meter.Duplicate();
    auto& m = dynamic_cast<WS310320&>(*copy);
    EXPECT_EQ(std::tie(m.port, m.baudRate, m.resetOnRead, m.onlineMode), std::make_tuple(6, 9600, 0, 1));

    WSTriscan pier("Pier");
    pier.port = 4;
    pier.baudRate = 4800;
    auto triscan = pier.Duplicate();
    auto& t = dynamic_cast<WSTriscan&>(*triscan);
    EXPECT_EQ(std::tie(t.port, t.baudRate), std::make_tuple(4, 4800));
    EXPECT_STREQ(t.ClassName(), "WSTriscan");
}

}  // namespace
}  // namespace svu
