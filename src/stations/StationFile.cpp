#include "stations/StationFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "framework/Archive.h"
#include "framework/AtomicFile.h"
#include "framework/RegularFile.h"
#include "framework/SafeName.h"
#include "framework/StringTable.h"
#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kCopyOf = 220;

// Station files hold a few hundred stations at most; anything far larger is not one.
constexpr std::size_t kMaxStationFileBytes = 256u * 1024 * 1024;

}  // namespace

StationFileResult ReadStationList(std::vector<uint8_t> bytes, const ClassRegistry& reg) {
    StationFileResult result;
    const int32_t disable = DisableAllAlarms().load();
    const int32_t mute = MuteAllAlarms().load();
    try {
        Archive ar = Archive::ForLoading(std::move(bytes), reg);
        ar.ObList(result.stations);
        if (!ar.AtEnd()) {
            throw ArchiveError("archive: " + std::to_string(ar.Remaining()) + " bytes follow the station list");
        }
        // The name becomes part of the daily log's file name: a separator or ".." in it would
        // put the log outside its folder.
        for (const auto& station : result.stations) {
            if (const std::string problem = FileNamePartProblem(station->name); !problem.empty()) {
                throw ArchiveError("the station name \"" + EscapeControls(station->name) + "\" " + problem +
                                   ", so it cannot name its log files");
            }
        }
    } catch (const ArchiveError& e) {
        result.stations.clear();
        result.failure = StationFileResult::Failure::Damaged;
        result.error = e.what();
        DisableAllAlarms().store(disable);
        MuteAllAlarms().store(mute);
    }
    return result;
}

StationFileResult LoadStationFile(const std::string& path, const ClassRegistry& reg) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (ReadRegularFile(path, kMaxStationFileBytes, bytes, &error) != ReadFileStatus::Ok) {
        StationFileResult result;
        result.failure = StationFileResult::Failure::Unreadable;
        result.error = error;
        return result;
    }
    return ReadStationList(std::move(bytes), reg);
}

std::vector<uint8_t> StationListBytes(const std::vector<const WeatherStation*>& stations) {
    Archive ar = Archive::ForStoring();
    ar.WriteCount(static_cast<uint32_t>(stations.size()));
    for (const WeatherStation* station : stations) {
        ar.WriteObject(station);
    }
    return ar.Bytes();
}

namespace {

bool SaveStations(const std::string& path, const std::vector<const WeatherStation*>& stations, std::string* error) {
    std::vector<uint8_t> bytes;
    try {
        bytes = StationListBytes(stations);
    } catch (const ArchiveError& e) {
        if (error != nullptr) {
            *error = e.what();
        }
        return false;
    }
    return WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                               error);
}

}  // namespace

bool SaveStationFile(const std::string& path, const StationList& stations, std::string* error) {
    std::vector<const WeatherStation*> list;
    list.reserve(stations.size());
    for (const auto& station : stations) {
        list.push_back(station.get());
    }
    return SaveStations(path, list, error);
}

bool ExportStation(const std::string& path, const WeatherStation& station, std::string* error) {
    return SaveStations(path, {&station}, error);
}

StationFileResult ImportStations(const std::string& path, const ClassRegistry& reg, StationList& list) {
    StationFileResult result = LoadStationFile(path, reg);
    for (auto& station : result.stations) {
        list.push_back(std::move(station));
    }
    result.stations.clear();
    return result;
}

std::string NextStationName(const StationList& list) {
    std::set<std::string> names;
    for (const auto& station : list) {
        names.insert(station->name);
    }
    for (size_t i = 1;; ++i) {
        std::string candidate = "WS" + std::to_string(i);
        if (names.count(candidate) == 0) {
            return candidate;
        }
    }
}

WeatherStation& CopyStation(StationList& list, size_t index) {
    const WeatherStation& original = *list.at(index);
    std::unique_ptr<WeatherStation> copy = original.Duplicate();
    copy->name = Str(kCopyOf) + original.name;
    list.push_back(std::move(copy));
    return *list.back();
}

void DeleteStation(StationList& list, size_t index) {
    const WeatherStation& removed = *list.at(index);
    for (const auto& station : list) {
        if (station.get() == &removed) {
            continue;
        }
        for (const auto& channel : station->derived) {
            channel->OnStationRemoved(removed);
        }
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace svu
