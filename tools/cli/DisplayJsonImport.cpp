// Reading the JSON form of a display file (see DisplayJsonImport.h).

#ifdef SVU_HAVE_UI

#include "cli/DisplayJsonImport.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "app/CStratavueDoc.h"
#include "framework/JsonFieldVisitor.h"
#include "framework/TextUtil.h"
#include "gadgets/Gadget.h"
#include "gadgets/GadgetKinds.h"
#include "stations/StationFile.h"
#include "stations/WeatherStation.h"

namespace svu::cli {

namespace {

using Json = nlohmann::ordered_json;

// Reads members of one JSON object; the first problem met is kept with its path ("gadgets[2].page").
class JsonIn {
public:
    JsonIn(const Json& object, std::string path, std::string& error)
        : j_(object), path_(std::move(path)), error_(error) {
        if (!j_.is_object()) {
            Fail("", "a JSON object was expected");
        }
    }

    const Json* Member(const char* name) const {
        if (!error_.empty() || !j_.is_object()) {
            return nullptr;
        }
        const auto it = j_.find(name);
        return it == j_.end() ? nullptr : &*it;
    }
    void Fail(const std::string& name, const std::string& what) const {
        if (error_.empty()) {
            error_ = path_ + (name.empty() || path_.empty() ? "" : ".") + name + ": " + what;
        }
    }
    const std::string& Path() const { return path_; }
    /// A reader of the member object `name`, sharing this reader's error.
    JsonIn Nested(const Json& member, const char* name) const { return JsonIn(member, path_ + "." + name, error_); }
    bool Ok() const { return error_.empty(); }

    template <class T>
    void Int(const char* name, T& v, int64_t min, int64_t max) const {
        const Json* m = Member(name);
        if (m == nullptr) {
            return;
        }
        const bool fits = m->is_number_integer() && (!m->is_number_unsigned() || m->get<uint64_t>() <= INT64_MAX);
        if (!fits || m->get<int64_t>() < min || m->get<int64_t>() > max) {
            Fail(name, "a whole number from " + std::to_string(min) + " to " + std::to_string(max) + " was expected");
            return;
        }
        v = static_cast<T>(m->get<int64_t>());
    }
    void String(const char* name, std::string& v) const {
        const Json* m = Member(name);
        if (m != nullptr && !m->is_string()) {
            Fail(name, "a text was expected");
        } else if (m != nullptr) {
            v = m->get<std::string>();
        }
    }
    // A colour as show --json writes it ("0x00BBGGRR" text), or a plain number.
    void Colour(const char* name, uint32_t& v) const {
        const Json* m = Member(name);
        if (m == nullptr) {
            return;
        }
        if (m->is_number_unsigned() && m->get<uint64_t>() <= 0xFFFFFFFFu) {
            v = static_cast<uint32_t>(m->get<uint64_t>());
            return;
        }
        const std::string text = m->is_string() ? m->get<std::string>() : std::string();
        const bool hex = text.size() > 2 && text.size() <= 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
                         std::all_of(text.begin() + 2, text.end(),
                                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (!hex) {
            Fail(name, "a colour such as \"0x0000FF\" was expected");
            return;
        }
        v = static_cast<uint32_t>(std::strtoul(text.c_str() + 2, nullptr, 16));
    }

private:
    const Json& j_;
    std::string path_;
    std::string& error_;
};

void FontFromJson(const JsonIn& in, const char* name, GadgetFont& font) {
    const Json* m = in.Member(name);
    if (m == nullptr) {
        return;
    }
    const JsonIn f = in.Nested(*m, name);
    f.Int("height", font.height, INT32_MIN, INT32_MAX);
    f.Int("weight", font.weight, 0, 1000);
    f.Int("italic", font.italic, 0, 255);
    f.Int("charSet", font.charSet, 0, 255);
    f.Int("underline", font.underline, 0, 255);
    f.Int("strikeOut", font.strikeOut, 0, 255);
    f.String("faceName", font.faceName);
}

// A source names its station and its channel (by name when "channelName" is given, else by number).
void SourceFromJson(const JsonIn& in, const char* name, int which, Gadget& g, const StationList& stations,
                    const std::string& stationFile) {
    const Json* m = in.Member(name);
    if (m == nullptr) {
        return;
    }
    const JsonIn s = in.Nested(*m, name);
    const Json* stationName = s.Member("station");
    const Json* unlinked = s.Member("unlinked");
    if (unlinked != nullptr && !unlinked->is_boolean()) {
        s.Fail("unlinked", "true or false was expected");
    } else if (unlinked != nullptr && unlinked->get<bool>()) {
        // Names kept from a file whose stations were not at hand: written back as they are.
        UnlinkedSource names;
        s.String("station", names.stationName);
        s.String("channelName", names.channelName);
        if (s.Member("channel") != nullptr) {
            names.byNumber = true;
            s.Int("channel", names.number, INT32_MIN, INT32_MAX);
        }
        if (s.Ok()) {
            g.SetUnlinked(which, names);
        }
    } else if (stationName == nullptr || stationName->is_null()) {
        g.SetSource(which, nullptr, -1);
    } else if (!stationName->is_string()) {
        s.Fail("station", "a station's name (or null) was expected");
    } else {
        WeatherStation* station = nullptr;
        for (const auto& st : stations) {
            if (st->name == stationName->get<std::string>()) {
                station = st.get();
                break;
            }
        }
        int32_t channel = -1;
        s.Int("channel", channel, -1, WeatherStation::kMaxChannels);
        std::string channelName;
        s.String("channelName", channelName);
        static const std::vector<std::string> kNoNames;
        const std::vector<std::string>& names = station != nullptr ? station->channelNames : kNoNames;
        if (station == nullptr) {
            s.Fail("station", "there is no station named \"" + stationName->get<std::string>() + "\" in " +
                                  (stationFile.empty() ? "the program folder" : stationFile));
        } else if (!channelName.empty()) {
            const auto it = std::find(names.begin(), names.end(), channelName);
            if (it == names.end()) {
                s.Fail("channelName", "the station has no channel named \"" + channelName + "\"");
            } else {
                channel = static_cast<int32_t>(it - names.begin()) + 1;
            }
        } else if (channel > static_cast<int32_t>(names.size())) {
            s.Fail("channel", "the station has " + std::to_string(names.size()) + " channels");
        }
        if (s.Ok()) {
            g.SetSource(which, station, channel);
        }
    }
}

// The kind's own settings, read by the same field list that show --json writes them from.
void KindFieldsFromJson(const Json& j, const JsonIn& in, Gadget& g) {
    static const std::set<std::string> kBase = {"class",       "typeCode",    "schema",          "page",
                                                "rect",        "topLeftText", "bottomRightText", "backgroundColour",
                                                "mainFont",    "mainColour",  "auxFont",         "auxColour",
                                                "borderStyle", "transparent", "source1",         "source2"};
    Json names = Json::object();
    JsonFieldVisitor lister = JsonFieldVisitor::Writer(names, Gadget::kSchema);
    g.VisitKindFields(lister);
    for (const auto& [name, value] : j.items()) {
        if (kBase.count(name) == 0 && !names.contains(name)) {
            in.Fail(name, std::string("the display item ") + g.ClassName() + " has no such setting");
            return;
        }
    }
    if (!in.Ok()) {
        return;
    }
    JsonFieldVisitor reader = JsonFieldVisitor::Reader(j, Gadget::kSchema);
    g.VisitKindFields(reader);
    const std::string& problem = reader.Error();  // "field: what is wrong"
    if (!problem.empty()) {
        const std::size_t colon = problem.find(": ");
        in.Fail(problem.substr(0, colon), colon == std::string::npos ? problem : problem.substr(colon + 2));
    }
}

std::unique_ptr<Gadget> GadgetFromJson(const Json& j, const std::string& path, const StationList& stations,
                                       const std::string& stationFile, std::string& error, bool& unavailable) {
    unavailable = false;
    JsonIn in(j, path, error);
    int32_t typeCode = -1;
    in.Int("typeCode", typeCode, 0, INT32_MAX);
    std::string className;
    in.String("class", className);
    if (!error.empty()) {
        return nullptr;
    }
    const GadgetKind* kind = nullptr;
    for (const GadgetKind& k : GadgetKinds()) {
        if (className.empty() ? k.typeCode == typeCode : className == k.className) {
            kind = &k;
        }
    }
    if (kind == nullptr || (typeCode >= 0 && typeCode != kind->typeCode)) {
        in.Fail(className.empty() ? "typeCode" : "class",
                className.empty() && typeCode < 0 ? "the item's class is missing" : "no display item of this class");
        return nullptr;
    }
    std::string why;
    std::unique_ptr<Gadget> g = CreateGadget(kind->typeCode, &why);
    if (!g) {
        unavailable = true;
        in.Fail("class", why);
        return nullptr;
    }
    in.Int("page", g->page, 1, CStratavueDoc::kPageCount);
    if (const Json* r = in.Member("rect")) {
        const auto isInt32 = [](const Json& v) {
            return v.is_number_integer() &&
                   (v.is_number_unsigned() ? v.get<uint64_t>() <= INT32_MAX
                                           : v.get<int64_t>() >= INT32_MIN && v.get<int64_t>() <= INT32_MAX);
        };
        if (!r->is_array() || r->size() != 4 || !std::all_of(r->begin(), r->end(), isInt32)) {
            in.Fail("rect", "four whole numbers (left, top, right, bottom) were expected");
        } else {
            for (size_t i = 0; i < 4; ++i) {
                g->rect[i] = (*r)[i].get<int32_t>();
            }
        }
    }
    in.String("topLeftText", g->topLeftText);
    in.String("bottomRightText", g->bottomRightText);
    in.Colour("backgroundColour", g->backgroundColour);
    FontFromJson(in, "mainFont", g->mainFont);
    in.Colour("mainColour", g->mainColour);
    FontFromJson(in, "auxFont", g->auxFont);
    in.Colour("auxColour", g->auxColour);
    in.Int("borderStyle", g->borderStyle, 0, static_cast<int64_t>(BorderStyleNames().size()) - 1);
    in.Int("transparent", g->transparent, 0, 1);
    SourceFromJson(in, "source1", 0, *g, stations, stationFile);
    SourceFromJson(in, "source2", 1, *g, stations, stationFile);
    KindFieldsFromJson(j, in, *g);
    return error.empty() ? std::move(g) : nullptr;
}

void PageFromJson(const JsonIn& in, CStratavueDoc& doc, size_t i) {
    in.String("name", doc.pageName[i]);
    in.Colour("normalColour", doc.normalColour[i]);
    in.Colour("alertColour", doc.alertColour[i]);
    in.Colour("alarmColour", doc.alarmColour[i]);
    in.String("bitmapFile", doc.bitmapFile[i]);
    in.Int("showBitmap", doc.showBitmap[i], 0, 1);
    in.Int("bitmapMode", doc.bitmapMode[i], 0, 3);
}

}  // namespace

bool DisplayFromJson(const Json& file, CStratavueDoc& doc, const StationList& stations, const std::string& stationFile,
                     std::vector<std::string>* skipped, std::string& error) {
    doc.DeleteContents();
    JsonIn in(file, "", error);
    in.Int("currentPage", doc.currentPage, 1, CStratavueDoc::kPageCount);
    in.Int("switchEnabled", doc.switchEnabled, 0, 1);
    in.Int("switchInterval", doc.switchInterval, 1, INT32_MAX);
    in.Int("switchPosition", doc.switchPosition, 0, INT32_MAX);
    if (const Json* seq = in.Member("switchSequence")) {
        if (!seq->is_array() || !std::all_of(seq->begin(), seq->end(), [](const Json& v) {
                return v.is_number_unsigned() && v.get<uint64_t>() >= 1 &&
                       v.get<uint64_t>() <= CStratavueDoc::kPageCount;
            })) {
            in.Fail("switchSequence", "a list of page numbers from 1 to 8 was expected");
        } else {
            for (const Json& v : *seq) {
                doc.switchSequence.push_back(v.get<uint32_t>());
            }
        }
    }
    if (const Json* pages = in.Member("pages")) {
        if (!pages->is_array() || pages->size() > CStratavueDoc::kPageCount) {
            in.Fail("pages", "a list of at most 8 pages was expected");
        }
        for (size_t i = 0; error.empty() && i < pages->size(); ++i) {
            PageFromJson(JsonIn((*pages)[i], "pages[" + std::to_string(i) + "]", error), doc, i);
        }
    }
    const Json* items = in.Member("gadgets");
    if (items != nullptr && !items->is_array()) {
        in.Fail("gadgets", "a list of display items was expected");
    }
    for (size_t i = 0; error.empty() && items != nullptr && i < items->size(); ++i) {
        bool unavailable = false;
        std::string itemError;
        auto g = GadgetFromJson((*items)[i], "gadgets[" + std::to_string(i) + "]", stations, stationFile, itemError,
                                unavailable);
        if (g) {
            doc.AppendGadget(std::move(g));
        } else if (skipped != nullptr && unavailable) {
            skipped->push_back(itemError);
        } else {
            error = itemError;
        }
    }
    return error.empty();
}

}  // namespace svu::cli

#endif
