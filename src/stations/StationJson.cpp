#include "stations/StationJson.h"

#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/JsonFieldVisitor.h"
#include "framework/SafeName.h"
#include "stations/Alarm.h"
#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu {

using Json = nlohmann::ordered_json;

namespace {

Json AlarmToJson(Alarm& alarm) {
    Json j = Json::object();
    JsonFieldVisitor v = JsonFieldVisitor::Writer(j, Alarm::kSchema);
    alarm.VisitFields(v);
    return j;
}

// A station link waiting for the whole list to exist: the pointer to set and the position it names.
struct PendingLink {
    WeatherStation** target;
    size_t position;
    std::string where;
};

Json DerivedToJson(ProcessedData& channel, const StationList& list) {
    Json j = Json::object();
    j["class"] = channel.ClassName();
    JsonFieldVisitor v = JsonFieldVisitor::Writer(j, ProcessedData::kSchema);
    v.String("name", channel.name);
    v.UInt32("typeCode", channel.typeCode);
    channel.VisitFields(v);
    const ProcessedData::StationLink link = channel.LinkedStation();
    if (link.target != nullptr) {
        Json position = nullptr;
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i].get() == *link.target) {
                position = i;
            }
        }
        j[link.name] = std::move(position);
    }
    return j;
}

// Creates an object of the named class; nullptr with `error` set when that is not possible.
template <class T>
std::unique_ptr<T> Create(const Json& j, const ClassRegistry& reg, std::string& error) {
    const auto it = j.find("class");
    if (it == j.end() || !it->is_string()) {
        error = "class: the class name is missing";
        return nullptr;
    }
    const std::string className = it->get<std::string>();
    std::unique_ptr<Serializable> object;
    try {
        object = reg.Create(className);
    } catch (const ArchiveError& e) {
        error = e.what();
        return nullptr;
    }
    T* typed = dynamic_cast<T*>(object.get());
    if (typed == nullptr) {
        error = "class: '" + className + "' is not known here";
        return nullptr;
    }
    object.release();
    return std::unique_ptr<T>(typed);
}

const Json* ArrayMember(const Json& j, const char* name, std::string& error) {
    const auto it = j.find(name);
    if (it == j.end()) {
        return nullptr;
    }
    if (!it->is_array()) {
        error = std::string(name) + ": a list was expected";
        return nullptr;
    }
    return &*it;
}

std::unique_ptr<WeatherStation> StationFromJson(const Json& j, const ClassRegistry& reg,
                                                std::vector<PendingLink>& links, std::string& error) {
    if (!j.is_object()) {
        error = "a JSON object was expected";
        return nullptr;
    }
    std::unique_ptr<WeatherStation> station = Create<WeatherStation>(j, reg, error);
    if (!station) {
        return nullptr;
    }
    JsonFieldVisitor v = JsonFieldVisitor::Reader(j, WeatherStation::kSchema);

    if (const Json* list = ArrayMember(j, "alarms", error)) {
        for (size_t i = 0; i < list->size(); ++i) {
            auto alarm = std::make_unique<Alarm>();
            JsonFieldVisitor av = JsonFieldVisitor::Reader((*list)[i], Alarm::kSchema);
            alarm->VisitFields(av);
            if (!av.Error().empty()) {
                error = "alarms[" + std::to_string(i) + "]." + av.Error();
                return nullptr;
            }
            station->alarms.push_back(std::move(alarm));
        }
    }
    if (!error.empty()) {
        return nullptr;
    }
    station->VisitChannelTables(v);
    if (const Json* list = ArrayMember(j, "derived", error)) {
        for (size_t i = 0; i < list->size(); ++i) {
            const Json& dj = (*list)[i];
            std::string derivedError;
            std::unique_ptr<ProcessedData> channel =
                dj.is_object() ? Create<ProcessedData>(dj, reg, derivedError) : nullptr;
            if (channel) {
                channel->station = station.get();
                JsonFieldVisitor dv = JsonFieldVisitor::Reader(dj, ProcessedData::kSchema);
                dv.String("name", channel->name);
                channel->VisitFields(dv);
                derivedError = dv.Error();
                const ProcessedData::StationLink link = channel->LinkedStation();
                if (derivedError.empty() && link.target != nullptr) {
                    *link.target = nullptr;
                    const auto it = dj.find(link.name);
                    if (it != dj.end() && !it->is_null()) {
                        if (it->is_number_unsigned()) {
                            links.push_back(
                                {link.target, it->get<size_t>(), "derived[" + std::to_string(i) + "]." + link.name});
                        } else {
                            derivedError = std::string(link.name) + ": a station's position in the list was expected";
                        }
                    }
                }
            } else if (derivedError.empty()) {
                derivedError = "a JSON object was expected";
            }
            if (!derivedError.empty()) {
                error = "derived[" + std::to_string(i) + "]." + derivedError;
                return nullptr;
            }
            station->derived.push_back(std::move(channel));
        }
    }
    if (!error.empty()) {
        return nullptr;
    }
    station->VisitSettings(v);
    station->VisitKindFields(v);
    if (!v.Error().empty()) {
        error = v.Error();
        return nullptr;
    }
    station->schema = WeatherStation::kSchema;
    error = station->FinishLoading();
    if (!error.empty()) {
        return nullptr;
    }
    return station;
}

}  // namespace

Json StationToJson(WeatherStation& station, const StationList& list) {
    Json j = Json::object();
    j["class"] = station.ClassName();
    j["schema"] = station.schema;
    Json alarms = Json::array();
    for (const auto& alarm : station.alarms) {
        alarms.push_back(AlarmToJson(*alarm));
    }
    j["alarms"] = std::move(alarms);
    JsonFieldVisitor v = JsonFieldVisitor::Writer(j, WeatherStation::kSchema);
    station.VisitChannelTables(v);
    Json derived = Json::array();
    for (const auto& channel : station.derived) {
        derived.push_back(DerivedToJson(*channel, list));
    }
    j["derived"] = std::move(derived);
    station.VisitSettings(v);
    station.VisitKindFields(v);
    return j;
}

Json StationListToJson(const StationList& stations) {
    Json j = Json::object();
    j["DisableAllAlarms"] = DisableAllAlarms().load();
    j["MuteAllAlarms"] = MuteAllAlarms().load();
    Json list = Json::array();
    for (const auto& station : stations) {
        list.push_back(StationToJson(*station, stations));
    }
    j["stations"] = std::move(list);
    return j;
}

StationJsonResult StationListFromJson(const Json& json, const ClassRegistry& reg) {
    StationJsonResult result;
    const int32_t disable = DisableAllAlarms().load();
    const int32_t mute = MuteAllAlarms().load();
    auto fail = [&](std::string error) {
        result.stations.clear();
        result.error = std::move(error);
        DisableAllAlarms().store(disable);
        MuteAllAlarms().store(mute);
        return std::move(result);
    };
    if (!json.is_object()) {
        return fail("the text form of a station file is a JSON object");
    }
    JsonFieldVisitor top = JsonFieldVisitor::Reader(json, WeatherStation::kSchema);
    result.disableAllAlarms = disable;
    result.muteAllAlarms = mute;
    top.Bool32("DisableAllAlarms", result.disableAllAlarms);
    top.Bool32("MuteAllAlarms", result.muteAllAlarms);
    if (!top.Error().empty()) {
        return fail(top.Error());
    }
    std::string error;
    const Json* list = ArrayMember(json, "stations", error);
    if (list == nullptr) {
        return fail(error.empty() ? "stations: the station list is missing" : error);
    }
    std::vector<PendingLink> links;
    for (size_t i = 0; i < list->size(); ++i) {
        const size_t before = links.size();
        std::unique_ptr<WeatherStation> station = StationFromJson((*list)[i], reg, links, error);
        if (!station) {
            return fail("stations[" + std::to_string(i) + "]." + error);
        }
        for (size_t k = before; k < links.size(); ++k) {
            links[k].where = "stations[" + std::to_string(i) + "]." + links[k].where;
        }
        if (const std::string problem = FileNamePartProblem(station->name); !problem.empty()) {
            return fail("stations[" + std::to_string(i) + "].name: \"" + EscapeControls(station->name) + "\" " +
                        problem + ", so it cannot name its log files");
        }
        result.stations.push_back(std::move(station));
    }
    for (const PendingLink& link : links) {
        if (link.position >= result.stations.size()) {
            return fail(link.where + ": there is no station " + std::to_string(link.position) + " in the list");
        }
        *link.target = result.stations[link.position].get();
    }
    DisableAllAlarms().store(result.disableAllAlarms);
    MuteAllAlarms().store(result.muteAllAlarms);
    return result;
}

}  // namespace svu
