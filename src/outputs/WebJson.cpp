#include "outputs/WebJson.h"

#include <charconv>

#include "outputs/WebRequestParsing.h"

namespace svu {

namespace {

using nlohmann::json;

const char* ConditionText(int condition) {
    static constexpr const char* kConditions[] = {"<", "<=", "=", "<>", ">=", ">"};
    return condition >= 0 && condition < 6 ? kConditions[condition] : "?";
}

json Nullable(const std::optional<TimeT>& time) {
    return time ? json(FormatIsoTime(*time)) : json(nullptr);
}

json AlarmJson(const WebAlarmState& alarm, const WebChannels& channels) {
    json a = json::object();
    a["name"] = alarm.name;
    a["kind"] = alarm.alarm ? "alarm" : "alert";
    a["enabled"] = alarm.enabled;
    a["triggered"] = alarm.triggered;
    a["channel"] = alarm.channel;
    const bool known = alarm.channel >= 0 && static_cast<std::size_t>(alarm.channel) < channels.names.size();
    a["channelName"] = known ? json(channels.names[alarm.channel]) : json(nullptr);
    a["condition"] = ConditionText(alarm.condition);
    // The threshold is held in single precision: shown as the shortest decimal that reads back as
    // that float (what the user typed), not as the float's exact binary value.
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, alarm.threshold).ptr;
    const std::optional<double> threshold = ParseChannelNumber(std::string_view(text, end - text));
    a["threshold"] = threshold ? json(*threshold) : json(nullptr);
    return a;
}

json AlarmList(const WebReading& reading) {
    json alarms = json::array();
    for (const WebAlarmState& alarm : reading.alarms) {
        alarms.push_back(AlarmJson(alarm, *reading.channels));
    }
    return alarms;
}

WebLevel Worse(WebLevel a, WebLevel b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

/// A Prometheus label value: backslash, double quote and line feed escaped.
std::string LabelValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

// The shortest form that reads back exactly, with a point whatever the locale says.
std::string Number(double value) {
    return json(value).dump();
}

}  // namespace

std::string DumpJson(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ErrorJson(const std::string& message) {
    return DumpJson(json{{"error", message}});
}

const char* LevelName(WebLevel level) {
    switch (level) {
        case WebLevel::Alarm:
            return "alarm";
        case WebLevel::Alert:
            return "alert";
        case WebLevel::None:
            break;
    }
    return "none";
}

json ReadingJson(const WebReading& reading) {
    json r = json::object();
    r["name"] = reading.name;
    r["active"] = reading.active;
    r["time"] = Nullable(reading.time);
    r["seq"] = reading.seq;
    r["state"] = LevelName(reading.Level());
    json channels = json::array();
    const std::vector<std::string>& names = reading.channels->names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& text = i < reading.values.size() ? reading.values[i] : std::string();
        const std::optional<double> value = ParseChannelNumber(text);
        channels.push_back(json{{"index", i}, {"name", names[i]}, {"text", text},
                                {"value", value ? json(*value) : json(nullptr)}});
    }
    r["channels"] = std::move(channels);
    r["alarms"] = AlarmList(reading);
    return r;
}

std::string StationsJson(const std::vector<WebStationView>& stations, bool running, TimeT now) {
    json list = json::array();
    WebLevel level = WebLevel::None;
    for (const WebStationView& view : stations) {
        const WebReading& reading = *view.latest;
        const WebChannels& ch = *reading.channels;
        json channels = json::array();
        for (std::size_t i = 0; i < ch.names.size(); ++i) {
            channels.push_back(json{{"index", i},
                                    {"name", ch.names[i]},
                                    {"type", ch.types[i]},
                                    {"unit", ChannelUnit(ch.names[i])},
                                    {"derived", static_cast<int>(i) >= ch.rawCount}});
        }
        const WebLevel stationLevel = reading.Level();
        level = Worse(level, stationLevel);
        json s = json::object();
        s["name"] = reading.name;
        s["kind"] = view.kind;
        s["typeCode"] = view.typeCode;
        s["active"] = reading.active;
        s["lastReading"] = Nullable(reading.time);
        s["state"] = LevelName(stationLevel);
        s["channels"] = std::move(channels);
        list.push_back(std::move(s));
    }
    json body = json::object();
    body["time"] = FormatIsoTime(now);
    body["acquisition"] = running;
    body["state"] = LevelName(level);
    body["stations"] = std::move(list);
    return DumpJson(body);
}

std::string AlarmsJson(const std::vector<WebStationView>& stations, bool running, bool disableAll) {
    json list = json::array();
    WebLevel level = WebLevel::None;
    std::string alertsText;
    for (const WebStationView& view : stations) {
        const WebReading& reading = *view.latest;
        const WebLevel stationLevel = reading.Level();
        level = Worse(level, stationLevel);
        if (!view.messages.empty()) {
            alertsText += reading.name + "\r\n" + view.messages;
        }
        list.push_back(json{{"name", reading.name},
                            {"active", reading.active},
                            {"state", LevelName(stationLevel)},
                            {"messages", view.messages},
                            {"alarms", AlarmList(reading)}});
    }
    json body = json::object();
    body["acquisition"] = running;
    body["state"] = LevelName(level);
    body["disableAll"] = disableAll;
    body["alertsText"] = alertsText;
    body["stations"] = std::move(list);
    return DumpJson(body);
}

std::string MetricsText(const std::vector<WebStationView>& stations, bool running, const WebServerCounts& counts,
                        std::chrono::steady_clock::time_point now) {
    std::string out;
    const auto family = [&](const char* name, const char* type, const char* help, auto valueOf) {
        out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
        for (const WebStationView& view : stations) {
            const std::optional<double> value = valueOf(view);
            if (value) {
                out += std::string(name) + "{station=\"" + LabelValue(view.latest->name) + "\"} " + Number(*value) + "\n";
            }
        }
    };
    const auto counter = [](const std::atomic<uint64_t>& c) { return static_cast<double>(c.load(std::memory_order_relaxed)); };
    family("stratavue_readings_total", "counter", "Readings processed, per station.",
           [&](const WebStationView& v) -> std::optional<double> { return counter(v.counters->readings); });
    family("stratavue_corrupt_lines_total", "counter",
           "Corrupt or unreadable replies from the instrument, per station.",
           [&](const WebStationView& v) -> std::optional<double> { return counter(v.counters->corruptLines); });
    family("stratavue_seconds_since_last_reading", "gauge", "Seconds since the station's last reading.",
           [&](const WebStationView& v) -> std::optional<double> {
               if (!v.lastReadingAt) {
                   return std::nullopt;
               }
               return std::chrono::duration<double>(now - *v.lastReadingAt).count();
           });
    family("stratavue_log_write_errors_total", "counter", "Failed writes to the station's daily log.",
           [&](const WebStationView& v) -> std::optional<double> { return counter(v.counters->logWriteErrors); });
    family("stratavue_alarms_active", "gauge", "Enabled alarms and alerts that are triggered now.",
           [&](const WebStationView& v) -> std::optional<double> {
               int active = 0;
               for (const WebAlarmState& a : v.latest->alarms) {
                   active += a.enabled && a.triggered ? 1 : 0;
               }
               return active;
           });
    const auto single = [&](const char* name, const char* type, const char* help, double value) {
        out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n" + name + " " +
               Number(value) + "\n";
    };
    single("stratavue_acquisition_running", "gauge", "1 while real-time acquisition runs.", running ? 1 : 0);
    single("stratavue_uptime_seconds", "gauge", "Seconds since the web server started.", counts.uptimeSeconds);
    single("stratavue_http_stream_clients", "gauge", "Event stream clients connected now.",
           static_cast<double>(counts.streamClients));
    single("stratavue_http_stream_clients_dropped_total", "counter", "Event stream clients closed for falling behind.",
           static_cast<double>(counts.droppedStreamClients));
    return out;
}

}  // namespace svu
