#pragma once

// What the MQTT publisher sends, as plain data: the topics of a station and its channels, the
// retained message of each channel, one JSON document of a whole reading, and the Home Assistant
// discovery configuration of each channel. No network here, so every message can be checked.
//
//   PREFIX/status                  "online", or "offline" (the broker's last will)
//   PREFIX/<station>/<channel>     the channel's value text
//   PREFIX/<station>               {"station": ..., "time": ISO 8601 with offset, "values": {...}}
//   DISCOVERY/sensor/<node>/<object>/config   one per channel, retained

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"
#include "outputs/LiveSettings.h"

namespace svu {

class WeatherStation;

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retain = false;
};

/// A station as the publisher names it, fixed when the station list is handed over.
struct MqttStation {
    const void* key = nullptr;  // the station's address, matched on each reading; never followed
    std::string name;
    std::string kind;                       // the station's class, as the device's model
    std::vector<std::string> channelNames;  // trailing white space removed; repeats made unique
    std::vector<uint32_t> channelTypes;

    /// Copies the names of a station (the caller need not hold its lock: names change only while
    /// acquisition is off).
    static MqttStation From(const WeatherStation& station);
};

/// Home Assistant's sensor class and unit of a channel; empty where nothing is known.
struct MqttSensorClass {
    std::string deviceClass;
    std::string unit;
};

/// The class of a channel from its type code where that says it (13 rainfall, 3 wind direction),
/// else from its name and the unit in brackets at its end ("Temperature (F)").
MqttSensorClass ClassifyChannel(std::string_view name, uint32_t typeCode);

/// A name as one topic level: "/", "+", "#" and control characters become "_"; empty gives "_".
std::string MqttTopicLevel(std::string_view name);
/// A name as a Home Assistant object id: lower-case letters, digits and "_".
std::string MqttSlug(std::string_view name);

/// The local time as ISO 8601 with its offset from UTC: "2026-12-05T14:05:00+00:00".
std::string IsoTimeWithOffset(TimeT time);
/// The value as JSON: a number where the whole trimmed text is one, null when empty, else a string.
std::string JsonValue(std::string_view value);

/// PREFIX/status.
std::string MqttStatusTopic(const MqttSettings& settings);
/// PREFIX/<station>.
std::string MqttStationTopic(const MqttSettings& settings, const MqttStation& station);
/// PREFIX/<station>/<channel>.
std::string MqttChannelTopic(const MqttSettings& settings, const MqttStation& station, std::size_t channel);

/// The messages of one reading: each channel's value, then the JSON document.
void AppendReadingMessages(const MqttSettings& settings, const MqttStation& station, TimeT time,
                           const std::vector<std::string>& values, std::vector<MqttMessage>& out);
/// The Home Assistant discovery configuration of each channel of the station (retained).
void AppendDiscoveryMessages(const MqttSettings& settings, const MqttStation& station, std::vector<MqttMessage>& out);

}  // namespace svu
