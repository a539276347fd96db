// stratavue-cli stations: look at, rewrite and convert station definition files.

#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "cli/Cli.h"
#include "framework/RegularFile.h"
#include "framework/SafeName.h"
#include "framework/AtomicFile.h"
#include "framework/ClassRegistry.h"
#include "framework/StringTable.h"
#include "runtime/ClassTables.h"
#include "stations/StationFile.h"
#include "stations/StationJson.h"
#include "stations/WeatherStation.h"

namespace svu::cli {

// The text form of a station or display file; far larger is not one.
constexpr std::size_t kMaxJsonBytes = 256u * 1024 * 1024;

namespace {

using Json = nlohmann::ordered_json;

constexpr int kStationFileCorrupt = 263;

std::string Dump(const Json& j, int indent = -1) {
    return j.dump(indent, ' ', false, Json::error_handler_t::replace);
}

bool IsScalarList(const Json& j) {
    for (const Json& e : j) {
        if (e.is_structured()) {
            return false;
        }
    }
    return true;
}

// Every field under its name: scalars and plain lists on one line, records as indented blocks.
void PrintFields(std::ostream& out, const Json& object, int depth) {
    const std::string pad(static_cast<size_t>(depth) * 2, ' ');
    for (const auto& [key, value] : object.items()) {
        if (value.is_object()) {
            out << pad << key << ":\n";
            PrintFields(out, value, depth + 1);
        } else if (value.is_array() && !IsScalarList(value)) {
            out << pad << key << ": " << value.size() << "\n";
            for (size_t i = 0; i < value.size(); ++i) {
                out << pad << "  [" << i << "]\n";
                PrintFields(out, value[i], depth + 2);
            }
        } else {
            out << pad << key << ": " << Dump(value) << "\n";
        }
    }
}

void PrintText(std::ostream& out, const std::string& path, const Json& file) {
    const Json& stations = file["stations"];
    out << path << ": " << stations.size() << (stations.size() == 1 ? " station" : " stations") << "\n";
    out << "DisableAllAlarms: " << Dump(file["DisableAllAlarms"]) << "\n";
    out << "MuteAllAlarms: " << Dump(file["MuteAllAlarms"]) << "\n";
    for (size_t i = 0; i < stations.size(); ++i) {
        const Json& s = stations[i];
        out << "\nStation " << i + 1 << ": " << s["class"].get<std::string>() << " (typeCode " << Dump(s["typeCode"])
            << ")\n";
        Json fields = s;
        fields.erase("class");  // already in the heading
        PrintFields(out, fields, 1);
    }
}

// Loads a station file; on failure reports it and returns false.
bool Load(Context& ctx, const std::string& path, const ClassRegistry& reg, StationList& stations) {
    StationFileResult result = LoadStationFile(path, reg);
    if (result.failure == StationFileResult::Failure::Unreadable) {
        ctx.err << "stratavue-cli stations: cannot read " << result.error << "\n";
        return false;
    }
    if (!result.Ok()) {
        ctx.err << Str(kStationFileCorrupt) << "\n"
                << "stratavue-cli stations: " << path << ": " << result.error << "\n";
        return false;
    }
    stations = std::move(result.stations);
    return true;
}

bool WriteText(Context& ctx, const std::string& path, const std::string& text) {
    std::string error;
    if (!WriteFileAtomically(path, text, &error)) {
        ctx.err << "stratavue-cli stations: cannot write " << path << ": " << error << "\n";
        return false;
    }
    return true;
}

int Show(Context& ctx, Args& args, const ClassRegistry& reg) {
    const bool json = args.Flag("--json");
    const std::string path = args.OptionalPositional(ctx.StationFilePath());
    args.ExpectEnd();
    StationList stations;
    if (!Load(ctx, path, reg, stations)) {
        return kExitFailure;
    }
    const Json file = StationListToJson(stations);
    if (json) {
        ctx.out << Dump(file, 2) << "\n";
    } else {
        PrintText(ctx.out, path, file);
    }
    return kExitOk;
}

int Resave(Context& ctx, Args& args, const ClassRegistry& reg) {
    const std::string in = args.Positional("IN");
    const std::string out = args.Positional("OUT");
    args.ExpectEnd();
    StationList stations;
    if (!Load(ctx, in, reg, stations)) {
        return kExitFailure;
    }
    std::string error;
    if (!SaveStationFile(out, stations, &error)) {
        ctx.err << "stratavue-cli stations: cannot write " << out << ": " << error << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

int ExportJson(Context& ctx, Args& args, const ClassRegistry& reg) {
    const std::string first = args.Positional("OUT.json");
    const std::string second = args.OptionalPositional("");
    args.ExpectEnd();
    const std::string in = second.empty() ? ctx.StationFilePath() : first;
    const std::string out = second.empty() ? first : second;
    StationList stations;
    if (!Load(ctx, in, reg, stations)) {
        return kExitFailure;
    }
    return WriteText(ctx, out, Dump(StationListToJson(stations), 2) + "\n") ? kExitOk : kExitFailure;
}

int ImportJson(Context& ctx, Args& args, const ClassRegistry& reg) {
    const std::string in = args.Positional("IN.json");
    const std::string out = args.Positional("OUT.wsf");
    args.ExpectEnd();
    std::string text;
    std::string error;
    if (ReadRegularFile(in, kMaxJsonBytes, text, &error) != ReadFileStatus::Ok) {
        ctx.err << "stratavue-cli stations: cannot read " << EscapeControls(error) << "\n";
        return kExitFailure;
    }
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::exception& e) {
        ctx.err << "stratavue-cli stations: " << in << " is not valid JSON: " << e.what() << "\n";
        return kExitFailure;
    }
    StationJsonResult result = StationListFromJson(json, reg);
    if (!result.Ok()) {
        ctx.err << "stratavue-cli stations: " << in << ": " << result.error << "\n";
        return kExitFailure;
    }
    if (!SaveStationFile(out, result.stations, &error)) {
        ctx.err << "stratavue-cli stations: cannot write " << out << ": " << error << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunStations(Context& ctx, Args& args) {
    const std::string action = args.Positional("the action (show, resave, export-json or import-json)");
    ClassRegistry reg;
    RegisterAllClasses(reg);
    if (action == "show") {
        return Show(ctx, args, reg);
    }
    if (action == "resave") {
        return Resave(ctx, args, reg);
    }
    if (action == "export-json") {
        return ExportJson(ctx, args, reg);
    }
    if (action == "import-json") {
        return ImportJson(ctx, args, reg);
    }
    throw UsageError{"unknown action " + action};
}

}  // namespace svu::cli
