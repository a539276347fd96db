#include <gtest/gtest.h>
#include <sys/stat.h>

#include "framework/AtomicFile.h"
#include "framework/TempDir.h"
#include "outputs/FakeWebSource.h"
#include "outputs/WebOutput.h"

namespace svu {
namespace {

using test::FakeStation;
using test::FakeWebSource;

const WebClockTexts kClock{"05/12/26", "14:05:00"};

FakeWebSource Hills() {
    return FakeWebSource({
        {"Hill", {"Temp", "Rain  ", "Wind"}, {"3.14159", "0.2", ""}},
        {"Hilltop", {"Temp", "Echo"}, {"-1.5", "{STRATAVUE:#DATE}"}},
    });
}

std::string Fill(std::string_view line, const WebValueSource& source) {
    std::string out;
    ExpandWebLine(line, source, kClock, out);
    return out;
}

TEST(WebTemplate, DateTimeAndPlainValues) {
    const FakeWebSource source = Hills();
    EXPECT_EQ(Fill("<p>{STRATAVUE:#DATE} at {STRATAVUE:#TIME}</p>", source), "<p>05/12/26 at 14:05:00</p>");
    // The held name "Rain  " is matched without its trailing spaces; an empty value gives nothing.
    EXPECT_EQ(Fill("{STRATAVUE:Hill:Temp}|{STRATAVUE:Hill:Rain}|{STRATAVUE:Hill:Wind}|", source), "3.14159|0.2||");
    // Names are compared exactly, case included.
    EXPECT_EQ(Fill("{STRATAVUE:hill:Temp}", source), "{STRATAVUE:hill:Temp}");
}

TEST(WebTemplate, FormattedValues) {
    const FakeWebSource source = Hills();
    EXPECT_EQ(Fill("{STRATAVUE:Hill:Temp(5.1)}", source), "003.1");
    EXPECT_EQ(Fill("{STRATAVUE:Hill:Temp(0.2)}", source), "3.14");
    EXPECT_EQ(Fill("{STRATAVUE:Hilltop:Temp(6.2)}", source), "-01.50");
    // A value that is not a number formats as 0.
    EXPECT_EQ(Fill("{STRATAVUE:Hilltop:Echo(0.1)}", source), "0.0");
    // Anything but digit, point, digit is no format: the tag stays as it is.
    for (const char* bad : {"(10.1)", "(5.12)", "(a.1)", "(5,1)", "(5.1", "(5.1}", "()", "(.1)"}) {
        const std::string tag = std::string("{STRATAVUE:Hill:Temp") + bad + "}";
        EXPECT_EQ(Fill(tag, source), tag) << bad;
    }
    EXPECT_EQ(FormatWebValue("2.5", "9.0"), "000000002");
}

TEST(WebTemplate, StationsThatBeginAlikeAreToldApartByTheColon) {
    const FakeWebSource source = Hills();
    EXPECT_EQ(Fill("{STRATAVUE:Hill:Temp} {STRATAVUE:Hilltop:Temp}", source), "3.14159 -1.5");
}

TEST(WebTemplate, UnmatchedTagsStayAndTheSearchGoesOn) {
    const FakeWebSource source = Hills();
    EXPECT_EQ(Fill("{STRATAVUE:Nowhere:Temp} {STRATAVUE:Hill:Nothing} {STRATAVUE:#TIME}", source),
              "{STRATAVUE:Nowhere:Temp} {STRATAVUE:Hill:Nothing} 14:05:00");
    EXPECT_EQ(Fill("{STRATAVUE:{STRATAVUE:#DATE}{STRATAVUE:", source), "{STRATAVUE:05/12/26{STRATAVUE:");
    // A value that looks like a tag is copied as text, never expanded.
    EXPECT_EQ(Fill("{STRATAVUE:Hilltop:Echo}", source), "{STRATAVUE:#DATE}");
}

TEST(WebTemplate, WholeTemplateEndsEveryLineWithCrLfAndReadsNamesOncePerPage) {
    const FakeWebSource source = Hills();
    std::string text;
    for (int i = 0; i < 50; ++i) {
        text += "{STRATAVUE:Hill:Temp}{STRATAVUE:Hill:Rain}\r\n";
    }
    text += "last line without end";
    const std::string page = ExpandWebTemplate(text, source, kClock);
    EXPECT_EQ(page.substr(0, 13), "3.141590.2\r\n3");
    EXPECT_TRUE(page.ends_with("last line without end\r\n"));
    EXPECT_EQ(source.nameCopies, 1);
    EXPECT_EQ(ExpandWebTemplate("", source, kClock), "");
}

class WebOutputFiles : public ::testing::Test {
protected:
    void SetUp() override { SetAtomicWriteSyncForTesting(false); }
    void TearDown() override { SetAtomicWriteSyncForTesting(true); }

    WebOutput MakeOutput() {
        WebOutputSettings settings;
        settings.active = 1;
        settings.interval = 60;
        settings.templateFile = dir.File("page.tpl");
        settings.outputFile = dir.File("page.htm");
        return WebOutput(settings);
    }

    test::TempDir dir;
    FakeWebSource source = Hills();
};

TEST_F(WebOutputFiles, TemplateIsReadAfreshOnEveryCycle) {
    WebOutput web = MakeOutput();
    int uploads = 0;
    web.SetUploadHook([&](const std::string&) { ++uploads; });
    test::WriteFileBytes(dir.File("page.tpl"), "T={STRATAVUE:Hill:Temp}\n");
    EXPECT_EQ(web.ProduceWebPage(0, source), WebOutputResult::Written);
    EXPECT_EQ(test::ReadFileBytes(dir.File("page.htm")), "T=3.14159\r\n");
    test::WriteFileBytes(dir.File("page.tpl"), "R={STRATAVUE:Hill:Rain(3.1)}\n");
    web.Config().ftp = 1;
    EXPECT_EQ(web.ProduceWebPage(0, source), WebOutputResult::Written);
    EXPECT_EQ(test::ReadFileBytes(dir.File("page.htm")), "R=0.2\r\n");
    EXPECT_EQ(uploads, 1);
}

TEST_F(WebOutputFiles, FailuresWriteNothingAndNeverBlock) {
    WebOutput web = MakeOutput();
    test::WriteFileBytes(dir.File("page.htm"), "old page");
    // Missing template, a template that is a pipe with no writer, an output folder that is missing.
    EXPECT_EQ(web.ProduceWebPage(0, source), WebOutputResult::TemplateUnreadable);
    ASSERT_EQ(::mkfifo(dir.File("page.tpl").c_str(), 0600), 0);
    EXPECT_EQ(web.ProduceWebPage(0, source), WebOutputResult::TemplateUnreadable);
    EXPECT_EQ(test::ReadFileBytes(dir.File("page.htm")), "old page");
    web.Config().templateFile = dir.File("ok.tpl");
    test::WriteFileBytes(web.Config().templateFile, "x\n");
    web.Config().outputFile = dir.File("missing/page.htm");
    EXPECT_EQ(web.ProduceWebPage(0, source), WebOutputResult::OutputUnwritable);
}

TEST_F(WebOutputFiles, TickMakesAPageAtOnceThenOncePerInterval) {
    WebOutput web = MakeOutput();
    test::WriteFileBytes(dir.File("page.tpl"), "x\n");
    EXPECT_TRUE(web.Tick(5'000, 0, source));
    EXPECT_FALSE(web.Tick(65'000, 0, source));
    EXPECT_TRUE(web.Tick(65'001, 0, source));
    web.Config().active = 0;
    EXPECT_FALSE(web.Tick(500'000, 0, source));
    // Switched on again: the interval still counts from the last page.
    web.Config().active = 1;
    EXPECT_TRUE(web.Tick(500'000, 0, source));
}

}  // namespace
}  // namespace svu
