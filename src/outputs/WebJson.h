#pragma once

// The bodies the web server sends, made from the board's snapshots: JSON (numbers in C-locale
// form by the JSON library, NaN and absent values as null, text that is not valid UTF-8 repaired
// rather than refused) and the Prometheus text of /metrics.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "outputs/WebBoard.h"

namespace svu {

/// Compact JSON; invalid UTF-8 is replaced, never thrown about.
std::string DumpJson(const nlohmann::json& json);

/// {"error": message}.
std::string ErrorJson(const std::string& message);

const char* LevelName(WebLevel level);

/// A station's current reading (/api/stations/{name} and the stream's "reading" event).
nlohmann::json ReadingJson(const WebReading& reading);

/// /api/stations.
std::string StationsJson(const std::vector<WebStationView>& stations, bool running, TimeT now);

/// /api/alarms.
std::string AlarmsJson(const std::vector<WebStationView>& stations, bool running, bool disableAll);

struct WebServerCounts {
    double uptimeSeconds = 0;
    std::size_t streamClients = 0;
    uint64_t droppedStreamClients = 0;
};

/// /metrics in the Prometheus text format.
std::string MetricsText(const std::vector<WebStationView>& stations, bool running, const WebServerCounts& counts,
                        std::chrono::steady_clock::time_point now);

}  // namespace svu
