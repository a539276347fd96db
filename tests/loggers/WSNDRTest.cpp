// The data logger station's record: the logger's set-up sits between the station record and the
// port and speed, whatever the set-up holds.

#include <gtest/gtest.h>

#include "framework/ClassRegistry.h"
#include "loggers/WSNDR.h"
#include "stations/StationFile.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

TEST(WSNDRRecord, PortAndSpeedFollowTheLoggerSetUpAndSurviveACopy) {
    test::ReportScope scope;
    WSNDR logger("Logger");
    logger.port = 3;
    logger.baudRate = 19200;
    logger.ndr.commandFormat = 1;
    logger.SetLoggerChannels({"Temp", "Rain"});
    const std::vector<uint8_t> bytes = StationListBytes({&logger});
    test::Bytes tail;
    tail.I32(3).I32(19200);
    EXPECT_TRUE(test::AsString(bytes).ends_with(tail.b));

    ClassRegistry registry;
    registry.RegisterClass<WSNDR>(WSNDR::kClassName);
    StationFileResult loaded = ReadStationList(bytes, registry);
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    auto& again = dynamic_cast<WSNDR&>(*loaded.stations.at(0));
    EXPECT_EQ(std::tie(again.port, again.baudRate, again.typeCode), std::make_tuple(3, 19200, 8));
    EXPECT_EQ(again.channelNames, (std::vector<std::string>{"Temp", "Rain"}));
    EXPECT_EQ(again.values.size(), 2u);
    EXPECT_EQ(StationListBytes({&again}), bytes);

    auto copy = logger.Duplicate();
    auto& c = dynamic_cast<WSNDR&>(*copy);
    EXPECT_EQ(std::tie(c.port, c.baudRate, c.ndr.commandFormat), std::make_tuple(3, 19200, 1));
}

}  // namespace
}  // namespace svu
