#include "outputs/MqttMessages.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <ctime>
#include <nlohmann/json.hpp>
#include <set>

#include "framework/TextUtil.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr uint32_t kRainfallType = 13;
constexpr uint32_t kWindDirectionType = 3;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = ToLowerAscii(c);
    }
    return lower;
}

// The unit written in brackets at the end of a channel's name, lower case, or empty.
std::string BracketUnit(std::string_view name) {
    name = TrimRight(name);
    if (name.empty() || name.back() != ')') {
        return {};
    }
    const std::size_t open = name.rfind('(');
    if (open == std::string_view::npos) {
        return {};
    }
    return Lower(Trim(name.substr(open + 1, name.size() - open - 2)));
}

struct UnitAlias {
    const char* written;
    const char* unit;
};

std::string PickUnit(const std::string& written, std::initializer_list<UnitAlias> aliases, const char* fallback) {
    for (const UnitAlias& a : aliases) {
        if (written == a.written) {
            return a.unit;
        }
    }
    return fallback;
}

bool Has(const std::string& lowerName, std::initializer_list<const char*> words) {
    for (const char* w : words) {
        if (lowerName.find(w) != std::string::npos) {
            return true;
        }
    }
    return false;
}

MqttSensorClass Precipitation(const std::string& name, const std::string& unit) {
    if (Has(name, {"rate", "intensity"})) {
        return {"precipitation_intensity", PickUnit(unit, {{"in/h", "in/h"}, {"mm/h", "mm/h"}}, "mm/h")};
    }
    return {"precipitation", PickUnit(unit, {{"in", "in"}, {"inches", "in"}, {"cm", "cm"}}, "mm")};
}

bool StrictNumber(std::string_view text, double& value) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
            return false;  // no "inf", "nan" or hexadecimal forms
        }
    }
    const std::string copy(text);
    char* end = nullptr;
    value = strtod_l(copy.c_str(), &end, CLocale());
    return end == copy.c_str() + copy.size() && std::isfinite(value);
}

}  // namespace

MqttStation MqttStation::From(const WeatherStation& station) {
    MqttStation s;
    s.key = &station;
    s.name = station.name;
    s.kind = station.ClassName();
    const std::size_t n = static_cast<std::size_t>(std::max(station.channelCount, 0));
    std::set<std::string> used;
    for (std::size_t i = 0; i < n; ++i) {
        std::string name(i < station.channelNames.size() ? TrimRight(station.channelNames[i]) : std::string_view());
        if (name.empty()) {
            name = "Channel" + std::to_string(i + 1);
        }
        // Two channels of one name would share a topic: the later one gets its number added.
        if (!used.insert(MqttTopicLevel(name)).second) {
            name += " " + std::to_string(i + 1);
            used.insert(MqttTopicLevel(name));
        }
        s.channelNames.push_back(std::move(name));
        s.channelTypes.push_back(i < station.channelTypes.size() ? station.channelTypes[i] : 0);
    }
    return s;
}

MqttSensorClass ClassifyChannel(std::string_view channelName, uint32_t typeCode) {
    const std::string name = Lower(channelName);
    const std::string unit = BracketUnit(channelName);
    if (typeCode == kRainfallType) {
        return Precipitation(name, unit);
    }
    if (typeCode == kWindDirectionType || Has(name, {"direction"})) {
        return {"", "\u00b0"};
    }
    if (Has(name, {"temperature", "dew point", "wet bulb", "temp"})) {
        return {"temperature",
                PickUnit(unit, {{"f", "\u00b0F"}, {"\u00b0f", "\u00b0F"}, {"degf", "\u00b0F"}, {"k", "K"}}, "\u00b0C")};
    }
    if (Has(name, {"humidity"})) {
        return {"humidity", "%"};
    }
    if (Has(name, {"pressure", "qfe", "qnh", "barometer"})) {
        return {"pressure", PickUnit(unit, {{"kpa", "kPa"}, {"inhg", "inHg"}, {"mmhg", "mmHg"}, {"psi", "psi"}}, "hPa")};
    }
    if (Has(name, {"wind speed", "gust", "mean wind"})) {
        return {"wind_speed", PickUnit(unit,
                                       {{"knots", "kn"}, {"kt", "kn"}, {"kn", "kn"}, {"mph", "mph"}, {"km/h", "km/h"},
                                        {"kph", "km/h"}, {"ft/s", "ft/s"}},
                                       "m/s")};
    }
    if (Has(name, {"rain", "precip"})) {
        return Precipitation(name, unit);
    }
    if (Has(name, {"solar", "radiation", "irradiance"})) {
        return {"irradiance", "W/m\u00b2"};
    }
    return {};
}

std::string MqttTopicLevel(std::string_view name) {
    std::string level;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        level += (c == '/' || c == '+' || c == '#' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    return level.empty() ? std::string("_") : level;
}

std::string MqttSlug(std::string_view name) {
    std::string slug;
    for (char c : name) {
        const char l = ToLowerAscii(c);
        const bool keep = (l >= 'a' && l <= 'z') || (l >= '0' && l <= '9');
        if (keep) {
            slug += l;
        } else if (!slug.empty() && slug.back() != '_') {
            slug += '_';
        }
    }
    while (!slug.empty() && slug.back() == '_') {
        slug.pop_back();
    }
    return slug.empty() ? std::string("x") : slug;
}

std::string IsoTimeWithOffset(TimeT time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    localtime_r(&t, &tm);
    const long offset = tm.tm_gmtoff;
    const long magnitude = offset < 0 ? -offset : offset;
    return FormatC("%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                   tm.tm_hour, tm.tm_min, tm.tm_sec, offset < 0 ? '-' : '+', magnitude / 3600, (magnitude / 60) % 60);
}

std::string JsonValue(std::string_view value) {
    const std::string_view text = Trim(value);
    if (text.empty()) {
        return "null";
    }
    double number = 0;
    if (StrictNumber(text, number)) {
        if (number == std::floor(number) && std::fabs(number) < 9.0e15) {
            return nlohmann::json(static_cast<int64_t>(number)).dump();
        }
        return nlohmann::json(number).dump();
    }
    return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string MqttStatusTopic(const MqttSettings& settings) {
    return settings.prefix + "/status";
}

std::string MqttStationTopic(const MqttSettings& settings, const MqttStation& station) {
    return settings.prefix + "/" + MqttTopicLevel(station.name);
}

std::string MqttChannelTopic(const MqttSettings& settings, const MqttStation& station, std::size_t channel) {
    return MqttStationTopic(settings, station) + "/" + MqttTopicLevel(station.channelNames[channel]);
}

void AppendReadingMessages(const MqttSettings& settings, const MqttStation& station, TimeT time,
                           const std::vector<std::string>& values, std::vector<MqttMessage>& out) {
    const bool retain = settings.retain != 0;
    const std::size_t n = std::min(values.size(), station.channelNames.size());
    std::string document = "{\"station\":";
    document += nlohmann::json(station.name).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    document += ",\"time\":\"" + IsoTimeWithOffset(time) + "\",\"values\":{";
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back({MqttChannelTopic(settings, station, i), std::string(Trim(values[i])), retain});
        if (i > 0) {
            document += ',';
        }
        document += nlohmann::json(station.channelNames[i]).dump(-1, ' ', false,
                                                                  nlohmann::json::error_handler_t::replace);
        document += ':';
        document += JsonValue(values[i]);
    }
    document += "}}";
    out.push_back({MqttStationTopic(settings, station), std::move(document), retain});
}

void AppendDiscoveryMessages(const MqttSettings& settings, const MqttStation& station, std::vector<MqttMessage>& out) {
    const std::string node = MqttSlug(settings.prefix) + "_" + MqttSlug(station.name);
    std::set<std::string> used;
    for (std::size_t i = 0; i < station.channelNames.size(); ++i) {
        std::string object = MqttSlug(station.channelNames[i]);
        if (!used.insert(object).second) {
            object += "_" + std::to_string(i + 1);
            used.insert(object);
        }
        nlohmann::json config = {
            {"name", station.channelNames[i]},
            {"unique_id", node + "_" + object},
            {"object_id", node + "_" + object},
            {"state_topic", MqttChannelTopic(settings, station, i)},
            {"availability_topic", MqttStatusTopic(settings)},
            {"payload_available", "online"},
            {"payload_not_available", "offline"},
            {"device",
             {{"identifiers", {node}}, {"name", station.name}, {"manufacturer", "Stratavue"}, {"model", station.kind}}},
        };
        const MqttSensorClass sensor = ClassifyChannel(station.channelNames[i], station.channelTypes[i]);
        if (!sensor.unit.empty()) {
            config["unit_of_measurement"] = sensor.unit;
            config["state_class"] = "measurement";
        }
        if (!sensor.deviceClass.empty()) {
            config["device_class"] = sensor.deviceClass;
        }
        out.push_back({settings.discoveryPrefix + "/sensor/" + node + "/" + object + "/config",
                       config.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), true});
    }
}

}  // namespace svu
