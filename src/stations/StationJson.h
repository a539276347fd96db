#pragma once

// The text form of a station definition file, for keeping and reviewing a configuration as text:
// every stored field of every record under its own name, in record order.
//
// {"DisableAllAlarms": 0, "MuteAllAlarms": 0,
//  "stations": [{"class": "WSDirect", "schema": 9, "alarms": [...], "channelNames": [...], ...,
//                "derived": [{"class": "ProcessedDew", "name": ..., "typeCode": 3, ...}], ...}]}
//
// A derived channel's typeCode is shown but not read back: the class decides the kind.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "stations/StationFile.h"

namespace svu {

/// One station: its class, the schema its record was read with, then its record's fields. A derived
/// channel's link to another station is written as that station's position in `list` (null when it
/// has none or the station is not in the list).
nlohmann::ordered_json StationToJson(WeatherStation& station, const StationList& list);

/// The list with the application-wide alarm switches in force.
nlohmann::ordered_json StationListToJson(const StationList& stations);

/// The outcome of reading the text form.
struct StationJsonResult {
    StationList stations;
    int32_t disableAllAlarms = 0;
    int32_t muteAllAlarms = 0;
    /// What is wrong, naming the station and field; empty on success.
    std::string error;

    bool Ok() const { return error.empty(); }
};

/// Builds the stations of the text form. A field left out keeps its default. On success the
/// application-wide switches take the file's values; on failure nothing changes.
StationJsonResult StationListFromJson(const nlohmann::ordered_json& json, const ClassRegistry& reg);

}  // namespace svu
