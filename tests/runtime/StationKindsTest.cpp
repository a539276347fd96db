#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TextUtil.h"
#include "runtime/ClassTables.h"
#include "runtime/Runtime.h"
#include "runtime/DerivedKinds.h"
#include "runtime/StationKinds.h"
#include "stations/ProcessedData.h"
#include "stations/StationFile.h"
#include "stations/StationJson.h"
#include "stations/StationTestSupport.h"
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

TEST(StationKinds, EveryKindStartsAcquisition) {
    test::ReportScope reports;
    const test::RuntimeDirScope runtimeDir(reports.dir.File("run"));
    Settings settings{reports.dir.Path().string()};
    test::RecordingUserInterface ui;
    Runtime runtime(settings, ui, SystemClock());
    for (const StationKind& kind : StationKinds()) {
        std::unique_ptr<WeatherStation> station = CreateStation(kind.typeCode, FormatC("S%d", kind.typeCode));
        ASSERT_NE(station, nullptr) << kind.className;
        station->active = 1;
        runtime.Stations().push_back(std::move(station));
    }
    ASSERT_TRUE(runtime.StartAcquisition());
    // Every kind is taken up: its own worker thread or a turn in the shared radio chain. Without
    // devices most say they cannot connect, but none is refused as a kind.
    const std::vector<WeatherStation*> chain = runtime.Radio().Members();
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain[1]->typeCode, 9);
    // The modem logger's thread keeps calling (and failing to dial) until the stop.
    const WeatherStation& modemLogger = *runtime.Stations()[10];
    for (int i = 0; i < 500 && !modemLogger.threadRunning; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(modemLogger.threadRunning);
    EXPECT_GE(runtime.StartedThreadCount(), StationKinds().size() - chain.size() - 1);
    for (const auto& message : ui.Messages()) {
        EXPECT_EQ(message.text.find("not available"), std::string::npos) << message.text;
    }
    EXPECT_TRUE(runtime.StopAcquisition());
}

}  // namespace
}  // namespace svu
