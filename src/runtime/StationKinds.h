#pragma once

// The one table from station type code to station class. It sits above every kind it lists, so the
// stations layer never needs to know its kinds.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace svu {

class ClassRegistry;
class WeatherStation;

/// One entry of the "Type" drop-down of "New Monitoring System".
struct StationKind {
    int typeCode;
    const char* dropDownText;
    const char* className;
    /// A new station of this kind with the given name; empty while the kind is not built yet.
    std::function<std::unique_ptr<WeatherStation>(std::string name)> create;
};

/// Every kind, in type-code order (the index is the type code).
const std::vector<StationKind>& StationKinds();

/// The kind of a type code, or nullptr when there is none.
const StationKind* FindStationKind(int typeCode);

/// The message "Add..." shows for a type code above the last kind.
inline constexpr const char* kStationTypeNotSupported = "Weather station type not supported";

/// "Add...": a new station of the kind, or nullptr with `error` set ("Weather station type not
/// supported", or that the kind is not available in this version).
std::unique_ptr<WeatherStation> CreateStation(int typeCode, std::string name, std::string* error = nullptr);

/// Registers every station class and the alarm class for the archive. A kind that is not built yet
/// is registered too, so that reading its class tag fails with an archive error that says so.
void RegisterStationClasses(ClassRegistry& reg);

}  // namespace svu
