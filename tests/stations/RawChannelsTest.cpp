#include <gtest/gtest.h>

#include "derived/ProcessedExtreme.h"
#include "stations/Alarm.h"
#include "stations/FileStationSupport.h"
#include "stations/WSFile.h"
#include "stations/WSNetwork.h"

namespace svu {
namespace {

// Three raw channels a, b, c and two derived ones: Max of c, and Top, the maximum of Max; an alarm
// watches Max and another c.
void GiveDerivedChannels(WeatherStation& station) {
    station.rawChannelCount = 3;
    station.channelCount = 5;
    station.channelNames = {"a", "b", "c", "Max", "Top"};
    for (const int32_t source : {2, 3}) {
        auto extreme = std::make_unique<ProcessedExtreme>(&station);
        extreme->sourceChannel = source;
        station.derived.push_back(std::move(extreme));
    }
    for (const int32_t channel : {3, 2}) {
        station.alarms.push_back(std::make_unique<Alarm>());
        station.alarms.back()->channel = channel;
    }
    station.ResetValues();
}

int32_t Source(const WeatherStation& station, std::size_t k) {
    return static_cast<const ProcessedExtreme&>(*station.derived[k]).sourceChannel;
}

TEST(RawChannelCount, FileAndNetworkStationsShiftReferencesToDerivedChannels) {
    test::ReportScope reports;
    // File: the log names two channels, so R grows from 3 to 4 (Date, Time, Temp, Rain).
    WSFile file("Hill");
    file.inputFile = reports.dir.File("in.log");
    test::WriteFileBytes(file.inputFile, "2\r\nTemp\r\nRain\r\n05/12/26, 14:05:00, 5, 0.2\r\n");
    GiveDerivedChannels(file);
    ASSERT_TRUE(file.ReadConfiguration());
    EXPECT_EQ(file.channelNames, (std::vector<std::string>{"Date", "Time", "Temp", "Rain", "Max", "Top"}));
    EXPECT_EQ(Source(file, 0), 2);  // a raw channel stays where it was
    EXPECT_EQ(Source(file, 1), 4);  // Max moved from 3 to 4
    EXPECT_EQ(file.alarms[0]->channel, 4);
    EXPECT_EQ(file.alarms[1]->channel, 2);

    // Network: a file of one channel, so R shrinks from 3 to 1; c is gone.
    WSNetwork network("Remote");
    network.inputFile = reports.dir.File("in.nws");
    test::WriteFileBytes(network.inputFile, "1\r\n05/12/26\r\n14:05:00\r\nWind\r\n3.5\r\n");
    GiveDerivedChannels(network);
    ASSERT_TRUE(network.ReadConfiguration());
    EXPECT_EQ(network.channelNames, (std::vector<std::string>{"Wind", "Max", "Top"}));
    EXPECT_EQ(network.channelCount, 3);
    EXPECT_EQ(Source(network, 0), -1);
    EXPECT_EQ(Source(network, 1), 1);
    EXPECT_EQ(network.alarms[0]->channel, 1);
    EXPECT_EQ(network.alarms[1]->channel, -1);
}

}  // namespace
}  // namespace svu
