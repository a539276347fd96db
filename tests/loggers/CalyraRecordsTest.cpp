// The stored records of the logger kinds reached by modem and by radio: their own fields after the
// station record and the logger's set-up, read back, written again and copied unchanged.

#include <gtest/gtest.h>

#include "framework/ClassRegistry.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "loggers/WSCalyraModem.h"
#include "stations/StationFile.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using test::Bytes;

TEST(CalyraRecords, ModemAndHarburyKindsKeepTheirFieldsAfterTheLoggerSetup) {
    test::ReportScope scope;
    ClassRegistry registry;
    registry.RegisterClass<WSCalyraModem>(WSCalyraModem::kClassName);
    registry.RegisterClass<WSCalyraHarburyRadio>(WSCalyraHarburyRadio::kClassName);

    WSCalyraModem modem("Valley");
    modem.callInterval = 15;
    modem.baudRate = 19200;
    modem.modemName = "COM4";
    modem.phoneNumber = "01632 960001";
    modem.ndr.commandFormat = 1;
    WSCalyraHarburyRadio radio("Ridge");
    radio.port = 2;
    radio.baudRate = 4800;
    radio.address = 12;
    radio.txAddress = 34;
    radio.frequency = 458.6f;
    radio.extra = 1;
    radio.radioType = 1;
    radio.ndr.commandFormat = 1;

    for (WeatherStation* station : std::initializer_list<WeatherStation*>{&modem, &radio}) {
        const std::vector<uint8_t> bytes = StationListBytes({station});
        const std::string text = test::AsString(bytes);
        const std::string tail = station == &modem
                                     ? Bytes().I32(15).I32(19200).Str("COM4").Str("01632 960001").b
                                     : Bytes().I32(2).I32(4800).I32(12).I32(34).F32(458.6f).I32(1).I32(1).b;
        EXPECT_TRUE(text.ends_with(tail)) << station->name;

        StationFileResult loaded = ReadStationList(bytes, registry);
        ASSERT_TRUE(loaded.Ok()) << loaded.error;
        ASSERT_EQ(loaded.stations.size(), 1u);
        EXPECT_EQ(loaded.stations[0]->typeCode, station->typeCode);
        EXPECT_TRUE(test::AsString(StationListBytes({loaded.stations[0].get()})) == text) << station->name;
        // The logger's set-up travels with the station (it comes before the kind's own fields).
        if (auto* logger = dynamic_cast<NdrLoggerLink*>(loaded.stations[0].get())) {
            EXPECT_EQ(logger->LoggerSetup().commandFormat, 1);
        } else {
            ADD_FAILURE() << station->name << " does not reach a logger";
        }
        const std::unique_ptr<WeatherStation> copy = station->Duplicate();
        EXPECT_TRUE(test::AsString(StationListBytes({copy.get()})).ends_with(tail)) << station->name;
        EXPECT_EQ(dynamic_cast<NdrLoggerLink*>(copy.get())->LoggerSetup().commandFormat, 1);
    }
    EXPECT_EQ(modem.typeCode, 10);
    EXPECT_EQ(radio.typeCode, 9);
}

}  // namespace
}  // namespace svu
