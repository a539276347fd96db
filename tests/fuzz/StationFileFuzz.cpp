// Reads a station definition file from arbitrary bytes. Damage must be reported, never crash, hang
// or allocate without bound; whatever loads must save, reload and save again to the same bytes,
// and its text form must turn back into those bytes.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <vector>

#include "FuzzFile.h"
#include "framework/ClassRegistry.h"
#include "runtime/ClassTables.h"
#include "stations/StationFile.h"
#include "stations/StationJson.h"
#include "stations/WeatherStation.h"

namespace {

using namespace svu;

const ClassRegistry& Registry() {
    static const ClassRegistry reg = [] {
        ClassRegistry r;
        RegisterAllClasses(r);
        return r;
    }();
    return reg;
}

std::vector<uint8_t> Save(const StationList& list) {
    std::vector<const WeatherStation*> stations;
    for (const auto& s : list) {
        stations.push_back(s.get());
    }
    return StationListBytes(stations);
}

using svu::fuzz::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StationFileResult first = ReadStationList(std::vector<uint8_t>(data, data + size), Registry());
    if (!first.Ok()) {
        Check(first.stations.empty() && !first.error.empty());
        return 0;
    }
    const std::vector<uint8_t> saved = Save(first.stations);
    StationFileResult second = ReadStationList(saved, Registry());
    Check(second.Ok());
    Check(Save(second.stations) == saved);

    const auto text = StationListToJson(second.stations).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    StationJsonResult back = StationListFromJson(nlohmann::ordered_json::parse(text), Registry());
    Check(back.Ok());
    Check(Save(back.stations) == saved);
    return 0;
}
