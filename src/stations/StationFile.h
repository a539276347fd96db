#pragma once

// The station definition file (".wsf"): the station list as one archive object list, each
// station written as an object of its own class. The program's main station file and the files
// of "Export..." and "Import..." share the format.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace svu {

class ClassRegistry;
class WeatherStation;

using StationList = std::vector<std::unique_ptr<WeatherStation>>;

/// The outcome of reading a station definition file.
struct StationFileResult {
    enum class Failure { None, Unreadable, Damaged };

    StationList stations;
    Failure failure = Failure::None;
    /// What went wrong (the system's reason, or where the archive is damaged); empty on success.
    std::string error;

    bool Ok() const { return failure == Failure::None; }
};

/// Reads the stations of a file. On failure no station is returned and the application-wide alarm
/// switches are left as they were; on success they hold the values of the last station read.
StationFileResult LoadStationFile(const std::string& path, const ClassRegistry& reg);
/// The same for the bytes of a file. Bytes after the station list count as damage.
StationFileResult ReadStationList(std::vector<uint8_t> bytes, const ClassRegistry& reg);

/// The bytes of a station definition file holding these stations, in this order.
std::vector<uint8_t> StationListBytes(const std::vector<const WeatherStation*>& stations);

/// Writes the whole list to `path` (a temporary file renamed over the old one).
bool SaveStationFile(const std::string& path, const StationList& stations, std::string* error = nullptr);
/// "Export...": a station definition file holding just this station.
bool ExportStation(const std::string& path, const WeatherStation& station, std::string* error = nullptr);
/// "Import...": appends every station of the file to the end of the list; the list is unchanged
/// when the file cannot be read.
StationFileResult ImportStations(const std::string& path, const ClassRegistry& reg, StationList& list);

/// "Add...": "WS%i" with the smallest i, from 1, that no station of the list is named exactly.
std::string NextStationName(const StationList& list);
/// "Copy": a duplicate of list[index] named "Copy of " + its name, appended to the end of the list.
/// Returns the copy.
WeatherStation& CopyStation(StationList& list, size_t index);
/// "Delete...": removes and destroys list[index]; the derived channels of the other stations drop
/// their links to it first.
void DeleteStation(StationList& list, size_t index);

}  // namespace svu
