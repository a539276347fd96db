#include <gtest/gtest.h>

#include <algorithm>

#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "runtime/ClassTables.h"
#include "runtime/DerivedKinds.h"
#include "runtime/StationKinds.h"
#include "stations/ProcessedData.h"
#include "stations/StationFile.h"
#include "stations/StationJson.h"
#include "stations/WeatherStation.h"

namespace svu {
namespace {

const ClassRegistry& Registry() {
    static const ClassRegistry reg = [] {
        ClassRegistry r;
        RegisterAllClasses(r);
        return r;
    }();
    return reg;
}

TEST(StationKinds, TheTableListsEveryKindInTypeCodeOrder) {
    const char* const texts[] = {"Direct",
                                 "Modem",
                                 "Network",
                                 "Radio Modem (Vela)",
                                 "Modem (Vela)",
                                 "Wind Speed and Direction",
                                 "Particle Counter",
                                 "Triscan",
                                 "Calyra (direct RS232)",
                                 "Calyra (Harbury radio)",
                                 "Calyra (Modem)",
                                 "Calyra (Wood & Douglas radio)",
                                 "File",
                                 "310/320",
                                 "Generic (Serial)"};
    const auto& kinds = StationKinds();
    ASSERT_EQ(kinds.size(), 15u);
    for (size_t i = 0; i < kinds.size(); ++i) {
        const StationKind& kind = kinds[i];
        EXPECT_EQ(kind.typeCode, static_cast<int>(i));
        EXPECT_STREQ(kind.dropDownText, texts[i]);
        EXPECT_TRUE(Registry().Contains(kind.className)) << kind.className;
        std::string error;
        std::unique_ptr<WeatherStation> station = CreateStation(kind.typeCode, "WS1", &error);
        ASSERT_NE(station, nullptr) << kind.className << ": " << error;
        EXPECT_STREQ(station->ClassName(), kind.className);
        EXPECT_EQ(station->typeCode, kind.typeCode);
        EXPECT_EQ(station->name, "WS1");
    }
    std::string error;
    EXPECT_EQ(CreateStation(15, "WS1", &error), nullptr);
    EXPECT_EQ(error, "Weather station type not supported");
}

// Every built kind, each with one derived channel of every derived kind; the channel ratios refer
// to the next station of the list (the last one to itself).
StationList EveryKindWithEveryDerivedKind() {
    StationList list;
    for (const StationKind& kind : StationKinds()) {
        if (!kind.create) {
            continue;
        }
        // Kind names may hold characters a station name (a part of log file names) may not.
        std::string name = std::string("Station ") + kind.dropDownText;
        std::replace(name.begin(), name.end(), '/', '-');
        std::unique_ptr<WeatherStation> station = kind.create(name);
        station->channelNames = {"Temp", "Wind"};
        station->rawChannelCount = station->channelCount = 2;
        for (const DerivedKind& dk : DerivedKinds()) {
            std::unique_ptr<ProcessedData> channel = dk.create(station.get());
            station->channelNames.push_back(channel->name);
            station->derived.push_back(std::move(channel));
            ++station->channelCount;
        }
        station->ResetValues();
        list.push_back(std::move(station));
    }
    for (size_t i = 0; i < list.size(); ++i) {
        for (const auto& channel : list[i]->derived) {
            const ProcessedData::StationLink link = channel->LinkedStation();
            if (link.target != nullptr) {
                *link.target = list[(i + 1) % list.size()].get();
            }
        }
    }
    return list;
}

TEST(StationKinds, EveryKindRoundTripsThroughTheFileAndItsTextForm) {
    const StationList list = EveryKindWithEveryDerivedKind();
    std::vector<const WeatherStation*> stations;
    bool linked = false;
    for (const auto& s : list) {
        stations.push_back(s.get());
        for (const auto& channel : s->derived) {
            linked = linked || channel->LinkedStation().target != nullptr;
        }
    }
    // The channel ratio's remote station must be named to the text form, or it is lost there.
    EXPECT_TRUE(linked) << "no derived kind declares its link to another station (LinkedStation)";
    const std::vector<uint8_t> bytes = StationListBytes(stations);

    StationFileResult loaded = ReadStationList(bytes, Registry());
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    ASSERT_EQ(loaded.stations.size(), list.size());
    std::vector<const WeatherStation*> again;
    for (const auto& s : loaded.stations) {
        again.push_back(s.get());
        ASSERT_EQ(s->derived.size(), DerivedKinds().size());
        for (const auto& channel : s->derived) {
            EXPECT_EQ(channel->station, s.get());
        }
    }
    EXPECT_EQ(StationListBytes(again), bytes);

    const nlohmann::ordered_json json = StationListToJson(loaded.stations);
    StationJsonResult fromJson = StationListFromJson(nlohmann::ordered_json::parse(json.dump()), Registry());
    ASSERT_TRUE(fromJson.Ok()) << fromJson.error;
    std::vector<const WeatherStation*> viaJson;
    for (const auto& s : fromJson.stations) {
        viaJson.push_back(s.get());
    }
    EXPECT_EQ(StationListBytes(viaJson), bytes) << "a field is missing from the text form";
}

TEST(StationKinds, AKindThatIsNotBuiltIsAnArchiveError) {
    Archive ar = Archive::ForStoring();
    ar.WriteCount(1);
    ar.WriteU16(0xFFFF);
    ar.WriteU16(9);
    ar.WriteU16(13);
    ar.WriteBytes("WSCalyraModem", 13);
    StationFileResult r = ReadStationList(ar.Bytes(), Registry());
    EXPECT_EQ(r.failure, StationFileResult::Failure::Damaged);
    EXPECT_NE(r.error.find("WSCalyraModem is not available in this version"), std::string::npos) << r.error;
}

}  // namespace
}  // namespace svu
