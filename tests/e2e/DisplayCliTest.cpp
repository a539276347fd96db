#ifdef SVU_HAVE_UI

#include <gtest/gtest.h>

#include <sstream>

#include "app/CStratavueDoc.h"
#include "cli/Cli.h"
#include "framework/RecordingUserInterface.h"
#include "framework/StringTable.h"
#include "framework/TempDir.h"
#include "gadgets/TextGadget.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

struct DisplayRun {
    int code;
    std::string out;
    std::string err;
};

DisplayRun Cli(std::vector<std::string> words) {
    words.insert(words.begin(), "stratavue-cli");
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::Main(words, out, err);
    return {code, out.str(), err.str()};
}

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

    DisplayRun show = Cli({"--program-dir", dir.Path().string(), "display", "show", dir.File("a.svu")});
    EXPECT_EQ(show.code, 0) << show.err;
    EXPECT_NE(show.out.find(": 1 display item\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Page 2: \"Runway\""), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Item 1: TextGadget (typeCode 0)\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("  text: \"Wind speed\"\n"), std::string::npos) << show.out;

    DisplayRun json = Cli({"display", "show", dir.File("a.svu"), "--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_NE(json.out.find("\"switchSequence\": [\n    1,\n    2\n  ]"), std::string::npos) << json.out;

    EXPECT_EQ(Cli({"display", "resave", dir.File("a.svu"), dir.File("b.svu")}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("b.svu")), ReadFileBytes(dir.File("a.svu")));
}

TEST(DisplayCli, DamagedFilesAreReportedAndNothingIsWritten) {
    TempDir dir;
    WriteFileBytes(dir.File("cut.svu"), std::string("\x01\x00\xFF\xFF\x06\x00", 6));
    DisplayRun r = Cli({"display", "resave", dir.File("cut.svu"), dir.File("out.svu")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cut.svu"), std::string::npos) << r.err;
    EXPECT_TRUE(ReadFileBytes(dir.File("out.svu")).empty());
    EXPECT_EQ(Cli({"display", "show"}).code, 2);
    EXPECT_EQ(Cli({"display", "show", dir.File("missing.svu")}).code, 1);
}

}  // namespace
}  // namespace svu

#endif
