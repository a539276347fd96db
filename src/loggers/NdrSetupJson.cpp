#include "loggers/NdrSetupJson.h"

#include <nlohmann/json.hpp>
#include <unordered_set>

#include "framework/JsonFieldVisitor.h"
#include "loggers/NdrConfig.h"

namespace svu {

namespace {

// The text form holds every field, the optional tail included.
constexpr int kNewestStationSchema = 7;

}  // namespace

std::string NdrToJson(const NDR& ndr) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    NDR copy = ndr;
    JsonFieldVisitor v = JsonFieldVisitor::Writer(j, kNewestStationSchema);
    copy.VisitFields(v);
    return j.dump(2) + "\n";
}

bool NdrFromJson(const std::string& text, NDR& ndr, std::string* error) {
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object()) {
        *error = "not a JSON object";
        return false;
    }
    // A misspelt name would otherwise be dropped without a word and its setting left as it was.
    nlohmann::ordered_json names = nlohmann::ordered_json::object();
    NDR blank;
    JsonFieldVisitor lister = JsonFieldVisitor::Writer(names, kNewestStationSchema);
    blank.VisitFields(lister);
    std::unordered_set<std::string> known;
    for (const auto& item : names.items()) {
        known.insert(item.key());
    }
    for (const auto& item : j.items()) {
        if (!known.contains(item.key())) {
            *error = item.key() + ": no such setting";
            return false;
        }
    }
    NDR read = ndr;
    JsonFieldVisitor v = JsonFieldVisitor::Reader(j, kNewestStationSchema);
    read.VisitFields(v);
    if (!v.Error().empty()) {
        *error = v.Error();
        return false;
    }
    ndr = read;
    return true;
}

}  // namespace svu
