#ifdef SVU_HAVE_UI

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/CStratavueDoc.h"
#include "cli/Cli.h"
#include "framework/RecordingUserInterface.h"
#include "framework/StringTable.h"
#include "framework/TempDir.h"
#include "gadgets/GadgetKinds.h"
#include "gadgets/TextGadget.h"
#include "e2e/RuntimeCliSupport.h"

namespace svu {
namespace {

using test::CliResult;
using test::RunCli;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TEST(DisplayCli, ShowsAndResavesADisplayFile) {
    TempDir dir;
    test::RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    auto text = std::make_unique<TextGadget>();
    text->text = "Wind speed";
    text->page = 2;
    text->rect = {10, 20, 210, 120};
    doc.AddGadget(std::move(text));
    doc.pageName[1] = "Runway";
    doc.switchSequence = {1, 2};
    ASSERT_TRUE(doc.Save(dir.File("a.svu")));

    CliResult show = RunCli({"--program-dir", dir.Path().string(), "display", "show", dir.File("a.svu")});
    EXPECT_EQ(show.code, 0) << show.err;
    EXPECT_NE(show.out.find(": 1 display item\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Page 2: \"Runway\""), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Item 1: TextGadget (typeCode 0)\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("  text: \"Wind speed\"\n"), std::string::npos) << show.out;

    CliResult json = RunCli({"display", "show", dir.File("a.svu"), "--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_NE(json.out.find("\"switchSequence\": [\n    1,\n    2\n  ]"), std::string::npos) << json.out;

    EXPECT_EQ(RunCli({"display", "resave", dir.File("a.svu"), dir.File("b.svu")}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("b.svu")), ReadFileBytes(dir.File("a.svu")));
}

// Display item records spelled out byte by byte in the layout of a given schema, every setting
// away from its default, so that a setting the JSON form left out would change the file.
class ItemRecords {
public:
    explicit ItemRecords(uint16_t schema) : schema_(schema) {}

    std::string Document() const { return U16Text(12) + items_; }

    ItemRecords& Item(const std::string& cls, int page) {
        U16(0xFFFF).U16(schema_).U16(static_cast<uint16_t>(cls.size()));
        items_ += cls;
        Str("top " + cls).Str("bottom").I32(10 * page).I32(20).I32(210).I32(120).U32(0x336699);
        I32(-20).I32(700).U8(1).U8(0).U8(1).U8(0).Str("Arial").U32(0x0000FF);
        I32(-12).I32(400).U8(0).U8(0).U8(0).U8(1).Str("Courier").U32(0x00FF00);
        I32(page).I32(3);
        return Since(4, [&] { I32(1); });  // transparent
    }
    // A source on Hill's channel 3 ("Temp") or 4 ("Rain"): a number in schema 1, else the name.
    ItemRecords& Source(int channel, bool byName = false) {
        if (schema_ == 1 && !byName) {
            I32(channel);
        } else {
            Str(channel == 3 ? "Temp" : "Rain");
        }
        return Str("Hill");
    }
    template <class F>
    ItemRecords& Since(int schema, F&& fields) {
        if (schema_ >= schema) {
            fields();
        }
        return *this;
    }
    ItemRecords& U8(uint8_t v) {
        items_.push_back(static_cast<char>(v));
        return *this;
    }
    ItemRecords& U16(uint16_t v) {
        items_ += U16Text(v);
        return *this;
    }
    ItemRecords& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            U8(static_cast<uint8_t>(v >> (8 * i)));
        }
        return *this;
    }
    ItemRecords& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    ItemRecords& F64(double v) {
        const auto bits = std::bit_cast<uint64_t>(v);
        return U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
    }
    ItemRecords& Floats(std::initializer_list<float> list) {
        U16(static_cast<uint16_t>(list.size()));
        for (const float f : list) {
            U32(std::bit_cast<uint32_t>(f));
        }
        return *this;
    }
    ItemRecords& Str(const std::string& text) {
        U8(static_cast<uint8_t>(text.size()));
        items_ += text;
        return *this;
    }

private:
    static std::string U16Text(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

    uint16_t schema_;
    std::string items_;
};

// The twelve kinds in type-code order.
std::string EveryKind(uint16_t schema) {
    ItemRecords r(schema);
    r.Item("TextGadget", 1).Str("Wind | speed");
    r.Item("DateGadget", 2);
    r.Item("TimeGadget", 3);
    r.Item("ValueGadget", 4).I32(0).I32(9).I32(3).I32(1).I32(1).Source(3);
    r.Item("BitmapGadget", 5).Str("logo.bmp");
    r.Item("MultiStateGadget", 6).Floats({-2.5f, 0.1f, 15.0f}).I32(4).Str("lamp.bmp").Source(4);
    r.Item("OverlayGadget", 7).Str("map.bmp").I32(60).I32(12).I32(45).I32(80).I32(90).U32(0x112233).U32(0x445566);
    r.Source(3).Since(3, [&] { r.I32(1); });
    r.Item("WindRoseGadget", 8).U32(0x0000C8).U32(0x505050).Source(4);
    r.Item("GraphGadget", 1).I32(1).I32(0).F64(40.5).F64(1013.25).F64(-10.25).F64(990.0).I32(7200);
    r.U32(0xC85A1E).U32(0x1E78E6).Str("Temperature | C").Str("Pressure").I32(1).I32(0).Source(3);
    r.Since(5, [&] { r.I32(1); }).Since(6, [&] { r.I32(1).I32(1).I32(1); }).Source(4).Since(5, [&] { r.I32(1); });
    r.Item("RTWindRoseGadget", 2).Str("rose.bmp").U32(0x73645A).U32(0xC88246).I32(2).I32(1);
    r.I32(170).I32(180).I32(140).I32(20).I32(21600).Source(3).Source(4);
    r.Item("RTDustRoseGadget", 3).Str("").U32(0x010203).U32(0x040506).I32(160).I32(150).I32(120).I32(25);
    r.I32(7200).Source(4).Source(3);
    r.Item("MultiTextGadget", 4).Floats({1.0f, 120.5f, 400.0f}).U16(3).Str("Night | day").Str("").Str("Sun");
    r.Source(4, true);
    return r.Document();
}

TEST(DisplayCli, EveryKindGoesThroughJsonToTheBytesResaveWrites) {
    ASSERT_EQ(GadgetKinds().size(), 12u);
    test::ProgramFolder folder;
    StationList stations;
    stations.push_back(folder.HillStation());
    folder.Save(stations);
    const std::string dir = "--program-dir=" + folder.Path();
    test::RecordingUserInterface ui;
    const std::string tail = [&] {
        const std::vector<uint8_t> empty = CStratavueDoc(ui).Bytes();
        return std::string(empty.begin() + 2, empty.end());
    }();
    // Then again without the station list: the sources keep the names the file holds.
    for (int run = 0; run < 2 * Gadget::kSchema; ++run) {
        const auto schema = static_cast<uint16_t>(run % Gadget::kSchema + 1);
        if (run == Gadget::kSchema) {
            std::filesystem::remove(folder.File("stratavue.wsf"));
        }
        SCOPED_TRACE("schema " + std::to_string(schema) + (run < Gadget::kSchema ? "" : ", no stations"));
        test::WriteFileBytes(folder.File("in.svu"), EveryKind(schema) + tail);
        const CliResult resave = RunCli({dir, "display", "resave", folder.File("in.svu"), folder.File("resaved.svu")});
        ASSERT_EQ(resave.code, 0) << resave.err;
        const CliResult shown = RunCli({dir, "display", "show", "--json", folder.File("in.svu")});
        ASSERT_EQ(shown.code, 0) << shown.err;
        test::WriteFileBytes(folder.File("in.json"), shown.out);
        const CliResult back = RunCli({dir, "display", "import-json", folder.File("in.json"), folder.File("back.svu")});
        ASSERT_EQ(back.code, 0) << back.err;
        EXPECT_EQ(ReadFileBytes(folder.File("back.svu")), ReadFileBytes(folder.File("resaved.svu")));

        const auto json = nlohmann::ordered_json::parse(shown.out);
        ASSERT_EQ(json["gadgets"].size(), 12u);
        const auto& graph = json["gadgets"][8];
        EXPECT_EQ(graph["autoRange1"], 1);
        EXPECT_EQ(graph["minimum1"], -10.25);  // kept while the range is automatic
        EXPECT_EQ(graph["colour2"], "0x1E78E6");
        EXPECT_EQ(json["gadgets"][5]["switchingPoints"], nlohmann::ordered_json({-2.5, 0.1, 15}));
        EXPECT_EQ(json["gadgets"][11]["texts"], nlohmann::ordered_json({"Night | day", "", "Sun"}));
        EXPECT_EQ(json["gadgets"][9]["distanceUnit"], 1);
    }
}

TEST(DisplayCli, DamagedFilesAreReportedAndNothingIsWritten) {
    TempDir dir;
    WriteFileBytes(dir.File("cut.svu"), std::string("\x01\x00\xFF\xFF\x06\x00", 6));
    CliResult r = RunCli({"display", "resave", dir.File("cut.svu"), dir.File("out.svu")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cut.svu"), std::string::npos) << r.err;
    EXPECT_TRUE(ReadFileBytes(dir.File("out.svu")).empty());
    EXPECT_EQ(RunCli({"display", "show"}).code, 2);
    EXPECT_EQ(RunCli({"display", "show", dir.File("missing.svu")}).code, 1);
}

}  // namespace
}  // namespace svu

#endif
