// stratavue-cli display: look at, rewrite and write display files (".svu"). Item sources are
// linked to the program folder's station list when there is one, as the desktop program does.
// import-json reads the form that show --json prints, so a display can be kept as text.

#include <filesystem>
#include <ostream>

#include "cli/Cli.h"
#include "framework/RegularFile.h"
#include "framework/SafeName.h"
#include "cli/DisplayJsonImport.h"

#ifdef SVU_HAVE_UI

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/CStratavueDoc.h"
#include "framework/ClassRegistry.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/JsonFieldVisitor.h"
#include "gadgets/Gadget.h"
#include "gadgets/GadgetKinds.h"
#include "runtime/ClassTables.h"
#include "stations/StationFile.h"
#include "stations/WeatherStation.h"

namespace svu::cli {

// The text form of a station or display file; far larger is not one.
constexpr std::size_t kMaxJsonBytes = 256u * 1024 * 1024;

namespace {

using Json = nlohmann::ordered_json;

std::string Hex(uint32_t colourRef) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", colourRef);
    return text;
}

Json FontJson(const GadgetFont& f) {
    return Json{{"height", f.height},       {"weight", f.weight},       {"italic", f.italic},    {"charSet", f.charSet},
                {"underline", f.underline}, {"strikeOut", f.strikeOut}, {"faceName", f.faceName}};
}

// A source the file named but the station list does not hold keeps its names ("unlinked").
Json SourceJson(const Gadget& g, int which) {
    if (const std::optional<UnlinkedSource> names = g.Unlinked(which)) {
        Json j{{"station", names->stationName}};
        if (names->byNumber) {
            j["channel"] = names->number;
        } else {
            j["channelName"] = names->channelName;
        }
        j["unlinked"] = true;
        return j;
    }
    const GadgetSource& s = g.Source(which);
    if (s.station == nullptr) {
        return Json{{"station", nullptr}, {"channel", s.channel}};
    }
    Json j{{"station", s.station->name}, {"channel", s.channel}};
    if (s.IsValid() && static_cast<size_t>(s.channel) <= s.station->channelNames.size()) {
        j["channelName"] = s.station->channelNames[static_cast<size_t>(s.channel) - 1];
    }
    return j;
}

Json GadgetJson(Gadget& g) {
    Json j{{"class", g.ClassName()},
           {"typeCode", g.typeCode},
           {"schema", g.schema},
           {"page", g.page},
           {"rect", {g.rect[0], g.rect[1], g.rect[2], g.rect[3]}},
           {"topLeftText", g.topLeftText},
           {"bottomRightText", g.bottomRightText},
           {"backgroundColour", Hex(g.backgroundColour)},
           {"mainFont", FontJson(g.mainFont)},
           {"mainColour", Hex(g.mainColour)},
           {"auxFont", FontJson(g.auxFont)},
           {"auxColour", Hex(g.auxColour)},
           {"borderStyle", g.borderStyle},
           {"transparent", g.transparent},
           {"source1", SourceJson(g, 0)},
           {"source2", SourceJson(g, 1)}};
    JsonFieldVisitor kind = JsonFieldVisitor::Writer(j, Gadget::kSchema);
    g.VisitKindFields(kind);
    return j;
}

Json DocumentJson(const CStratavueDoc& doc) {
    Json pages = Json::array();
    for (size_t i = 0; i < CStratavueDoc::kPageCount; ++i) {
        pages.push_back(Json{{"name", doc.pageName[i]},
                             {"normalColour", Hex(doc.normalColour[i])},
                             {"alertColour", Hex(doc.alertColour[i])},
                             {"alarmColour", Hex(doc.alarmColour[i])},
                             {"bitmapFile", doc.bitmapFile[i]},
                             {"showBitmap", doc.showBitmap[i]},
                             {"bitmapMode", doc.bitmapMode[i]}});
    }
    Json items = Json::array();
    for (const auto& g : doc.gadgets) {
        items.push_back(GadgetJson(*g));
    }
    return Json{{"currentPage", doc.currentPage},
                {"switchEnabled", doc.switchEnabled},
                {"switchInterval", doc.switchInterval},
                {"switchSequence", doc.switchSequence},
                {"switchPosition", doc.switchPosition},
                {"pages", pages},
                {"gadgets", items}};
}

std::string Dump(const Json& j, int indent = -1) {
    return j.dump(indent, ' ', false, Json::error_handler_t::replace);
}

void PrintText(std::ostream& out, const std::string& path, const Json& file) {
    const Json& items = file["gadgets"];
    out << path << ": " << items.size() << (items.size() == 1 ? " display item" : " display items") << "\n";
    out << "currentPage: " << Dump(file["currentPage"]) << "\n";
    out << "page switching: " << (file["switchEnabled"].get<int>() != 0 ? "on" : "off") << ", every "
        << file["switchInterval"].get<int>() << " ms, pages " << Dump(file["switchSequence"]) << ", position "
        << Dump(file["switchPosition"]) << "\n";
    const Json& pages = file["pages"];
    for (size_t i = 0; i < pages.size(); ++i) {
        const Json& p = pages[i];
        out << "Page " << i + 1 << ": " << Dump(p["name"]) << " colours " << p["normalColour"].get<std::string>() << "/"
            << p["alertColour"].get<std::string>() << "/" << p["alarmColour"].get<std::string>();
        if (p["showBitmap"].get<int>() != 0 || !p["bitmapFile"].get<std::string>().empty()) {
            out << " bitmap " << Dump(p["bitmapFile"]) << (p["showBitmap"].get<int>() != 0 ? " shown" : " hidden")
                << " mode " << p["bitmapMode"].get<int>();
        }
        out << "\n";
    }
    for (size_t i = 0; i < items.size(); ++i) {
        const Json& g = items[i];
        out << "\nItem " << i + 1 << ": " << g["class"].get<std::string>() << " (typeCode " << Dump(g["typeCode"])
            << ")\n";
        for (const auto& [key, value] : g.items()) {
            if (key != "class" && key != "typeCode") {
                out << "  " << key << ": " << Dump(value) << "\n";
            }
        }
    }
}

// Reads the program folder's station list for linking item sources; none when it is missing.
StationList LoadStations(Context& ctx) {
    const std::string path = ctx.StationFilePath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return {};
    }
    ClassRegistry reg;
    RegisterAllClasses(reg);
    StationFileResult result = LoadStationFile(path, reg);
    if (!result.Ok()) {
        ctx.err << "stratavue-cli display: " << path << ": " << result.error
                << " (display item sources stay unlinked)\n";
        return {};
    }
    return std::move(result.stations);
}

bool Load(Context& ctx, CStratavueDoc& doc, const std::string& path) {
    std::string error;
    if (!doc.Load(path, &error)) {
        ctx.err << "stratavue-cli display: " << error << "\n";
        return false;
    }
    return true;
}

int ImportJson(Context& ctx, CStratavueDoc& doc, const StationList& stations, const std::string& in,
               const std::string& out, bool skip) {
    std::string text;
    std::string error;
    if (ReadRegularFile(in, kMaxJsonBytes, text, &error) != ReadFileStatus::Ok) {
        ctx.err << "stratavue-cli display: cannot read " << EscapeControls(error) << "\n";
        return kExitFailure;
    }
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::exception& e) {
        ctx.err << "stratavue-cli display: " << in << ": " << e.what() << "\n";
        return kExitFailure;
    }
    std::vector<std::string> skipped;
    const std::string stationFile = stations.empty() ? std::string() : ctx.StationFilePath();
    if (!DisplayFromJson(json, doc, stations, stationFile, skip ? &skipped : nullptr, error)) {
        ctx.err << "stratavue-cli display: " << in << ": " << error << "\n";
        return kExitFailure;
    }
    for (const std::string& s : skipped) {
        ctx.err << "stratavue-cli display: " << in << ": left out " << s << "\n";
    }
    if (!doc.Save(out, &error)) {
        ctx.err << "stratavue-cli display: cannot write " << out << ": " << error << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunDisplay(Context& ctx, Args& args) {
    const std::string action = args.Positional("the action (show, resave or import-json)");
    if (action != "show" && action != "resave" && action != "import-json") {
        throw UsageError{"unknown action " + action};
    }
    const bool json = action == "show" && args.Flag("--json");
    const bool skip = action == "import-json" && args.Flag("--skip-unavailable");
    const std::string in = args.Positional(action == "show" ? "FILE.svu" : action == "resave" ? "IN" : "IN.json");
    const std::string out = action == "show" ? std::string() : args.Positional(action == "resave" ? "OUT" : "OUT.svu");
    args.ExpectEnd();

    HeadlessUserInterface ui(ctx.err);
    const StationList stations = LoadStations(ctx);
    CStratavueDoc doc(ui);
    doc.SetStations(&stations);
    doc.SetLoadBitmaps(false);  // the pictures are not needed to show or rewrite the file
    if (action == "import-json") {
        return ImportJson(ctx, doc, stations, in, out, skip);
    }
    if (!Load(ctx, doc, in)) {
        return kExitFailure;
    }
    if (action == "show") {
        const Json file = DocumentJson(doc);
        if (json) {
            ctx.out << Dump(file, 2) << "\n";
        } else {
            PrintText(ctx.out, in, file);
        }
        return kExitOk;
    }
    std::string error;
    if (!doc.Save(out, &error)) {
        ctx.err << "stratavue-cli display: cannot write " << out << ": " << error << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace svu::cli

#else

namespace svu::cli {

int RunDisplay(Context& ctx, Args& args) {
    ctx.err << "stratavue-cli display: display files need the desktop build (SVU_BUILD_UI)\n";
    return kExitFailure;
}

}  // namespace svu::cli

#endif
