#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/CStratavueDoc.h"
#include "derived/TestStation.h"
#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/RecordingUserInterface.h"
#include "framework/StringTable.h"
#include "framework/TempDir.h"
#include "gadgets/TextGadget.h"
#include "stations/StationFile.h"

namespace svu {
namespace {

using test::RecordingUserInterface;
using test::TempDir;

// A kind with one source, stored as the channel kinds store theirs (a number in schema 1).
class DocSourceGadget : public Gadget {
public:
    DocSourceGadget() : Gadget(3) {}
    const char* ClassName() const override { return "DocSourceGadget"; }
    void Serialize(Archive& ar) override {
        Gadget::Serialize(ar);
        SerializeSource(ar, 0);
    }
    std::unique_ptr<Gadget> Clone() const override { return nullptr; }
};

std::unique_ptr<TextGadget> Text(const std::string& text, int page, int x = 10) {
    auto g = std::make_unique<TextGadget>();
    g->text = text;
    g->page = page;
    g->rect = {x, 20, x + 200, 120};
    return g;
}

std::vector<uint8_t> EmptyDocumentBytes() {
    std::vector<uint8_t> b = {0, 0, 0, 0, 1, 0, 0, 0};  // no items, empty sequence, page 1
    for (int page = 1; page <= 8; ++page) {
        const std::string name = "Page " + std::to_string(page);
        b.push_back(static_cast<uint8_t>(name.size()));
        b.insert(b.end(), name.begin(), name.end());
        for (int colour = 0; colour < 3; ++colour) {
            b.insert(b.end(), {0xC0, 0xC0, 0xC0, 0x00});
        }
        b.push_back(0);                               // no bitmap file
        b.insert(b.end(), {0, 0, 0, 0, 0, 0, 0, 0});  // showBitmap, bitmapMode
    }
    b.insert(b.end(), {0, 0, 0, 0, 0x10, 0x27, 0, 0, 0, 0, 0, 0});  // off, 10000 ms, position 0
    return b;
}

TEST(DisplayFile, EmptyDocumentHasTheExactLayout) {
    RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    EXPECT_EQ(doc.Bytes(), EmptyDocumentBytes());
    EXPECT_EQ(doc.pageName[7], "Page 8");
    EXPECT_FALSE(doc.IsModified());
}

TEST(DisplayFile, RoundTripsByteForByte) {
    TempDir dir;
    RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    doc.AddGadget(Text("one", 1));
    doc.AddGadget(Text("two", 2, 300));
    doc.AddGadget(Text("Ünïcode ✓", 1, 50));  // needs the wide string form
    doc.switchSequence = {2, 1, 2};
    doc.currentPage = 2;
    doc.pageName[3] = "Wind";
    doc.alertColour[3] = 0x00FFFF;
    doc.alarmColour[3] = 0x0000FF;
    doc.bitmapFile[5] = "gone.bmp";
    doc.showBitmap[5] = 1;
    doc.bitmapMode[5] = 3;
    doc.switchEnabled = 1;
    doc.switchInterval = 5000;
    doc.switchPosition = 1;
    EXPECT_TRUE(doc.IsModified());
    const std::vector<uint8_t> bytes = doc.Bytes();

    ASSERT_TRUE(doc.Save(dir.File("a.svu")));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.PathName(), dir.File("a.svu"));

    CStratavueDoc again(ui);
    std::string error;
    ASSERT_TRUE(again.Load(dir.File("a.svu"), &error)) << error;
    EXPECT_EQ(again.Bytes(), bytes);
    ASSERT_EQ(again.gadgets.size(), 3u);
    EXPECT_EQ(static_cast<TextGadget&>(*again.gadgets[0]).text, "Ünïcode ✓");
    EXPECT_EQ(again.alertColour[3], 0x00FFFFu);  // the colours do not swap places
    EXPECT_EQ(again.alarmColour[3], 0x0000FFu);
    EXPECT_EQ(again.currentPage, 2);
    EXPECT_TRUE(again.bitmap[5].IsEmpty());  // a missing bitmap leaves the page plain
    EXPECT_TRUE(ui.Messages().empty());
}

TEST(DisplayFile, DamagedFilesAreRefusedAndLeaveTheDocumentEmpty) {
    RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    doc.AddGadget(Text("one", 1));
    const std::vector<uint8_t> good = doc.Bytes();
    std::string error;

    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    EXPECT_FALSE(doc.LoadBytes(cut, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(doc.gadgets.empty());
    EXPECT_EQ(doc.Bytes(), EmptyDocumentBytes());

    std::vector<uint8_t> page9 = EmptyDocumentBytes();
    page9[4] = 9;  // current page
    EXPECT_FALSE(doc.LoadBytes(page9, &error));
    EXPECT_NE(error.find("current page 9"), std::string::npos) << error;

    EXPECT_FALSE(doc.Load("/nonexistent/x.svu", &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);

    // A failed save changes nothing.
    doc.AddGadget(Text("two", 1));
    EXPECT_FALSE(doc.Save("/nonexistent/dir/x.svu", &error));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(ui.Messages().empty());
}

TEST(DisplayFile, BytesAfterTheLastRecordAreIgnoredWithOneNotice) {
    TempDir dir;
    RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    doc.AddGadget(Text("one", 1));
    doc.AddGadget(Text("two", 3, 300));
    doc.pageName[2] = "Runway";
    ASSERT_TRUE(doc.Save(dir.File("a.svu")));
    const std::string padded = test::ReadFileBytes(dir.File("a.svu")) + std::string("\0\0\x1A junk", 8);
    test::WriteFileBytes(dir.File("a.svu"), padded);

    CStratavueDoc again(ui);
    std::string error;
    ASSERT_TRUE(again.Load(dir.File("a.svu"), &error)) << error;
    ASSERT_EQ(again.gadgets.size(), 2u);
    EXPECT_EQ(again.pageName[2], "Runway");
    EXPECT_EQ(again.Bytes(), doc.Bytes());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].text.find("8 bytes after its last record"), std::string::npos);
    // Nothing is rewritten until the user saves.
    EXPECT_FALSE(again.IsModified());
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.svu")), padded);
}

TEST(DisplayFile, OldItemLayoutAsksOnceToResave) {
    CStratavueDoc::Classes().RegisterClass<DocSourceGadget>("DocSourceGadget");
    StationList stations;
    stations.push_back(std::make_unique<test::TestStation>(8, "Hill"));
    RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    doc.SetStations(&stations);

    // Two schema-1 items (the second refers to the class by index) holding channel numbers.
    Archive ar = Archive::ForStoring(CStratavueDoc::Classes());
    ar.WriteCount(2);
    const std::string cls = "DocSourceGadget";
    ar.WriteU16(0xFFFF);
    ar.WriteU16(1);
    ar.WriteU16(static_cast<uint16_t>(cls.size()));
    ar.WriteBytes(cls.data(), cls.size());
    for (int item = 0; item < 2; ++item) {
        if (item == 1) {
            ar.WriteU16(0x8001);  // the class tag already read
        }
        ar.WriteString("");
        ar.WriteString("");
        for (int v : {0, 0, 100, 100, 0xC0C0C0, -48, 400}) {
            ar.WriteI32(v);
        }
        ar.WriteU32(0);
        ar.WriteString("Arial");
        ar.WriteI32(0);
        for (int v : {-16, 400}) {
            ar.WriteI32(v);
        }
        ar.WriteU32(0);
        ar.WriteString("Arial");
        for (int v : {0, 1, 1, 5}) {  // aux colour, page, border, channel number
            ar.WriteI32(v);
        }
        ar.WriteString("Hill");
    }
    std::vector<uint8_t> bytes = ar.Bytes();
    const std::vector<uint8_t> rest = EmptyDocumentBytes();
    bytes.insert(bytes.end(), rest.begin() + 2, rest.end());

    std::string error;
    ASSERT_TRUE(doc.LoadBytes(bytes, &error)) << error;
    EXPECT_EQ(doc.oldFormat, 1);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, Str(536));
    EXPECT_EQ(doc.gadgets[1]->source1.station, stations[0].get());
    EXPECT_EQ(doc.gadgets[1]->source1.channel, 5);

    // Saved again, the file is in the current layout and loads without the message.
    ASSERT_TRUE(doc.LoadBytes(doc.Bytes(), &error)) << error;
    EXPECT_EQ(doc.oldFormat, 0);
    EXPECT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(doc.gadgets[0]->source1.channel, 5);
}

TEST(DocumentChannels, DeletionAndInsertionMoveSourcesOfThatStationOnly) {
    test::TestStation hill(8, "Hill");
    test::TestStation vale(8, "Vale");
    RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    Gadget& onFive = doc.AddGadget(Text("5", 1));
    onFive.SetSource(0, &hill, 5);
    onFive.SetSource(1, &hill, 2);
    Gadget& onThree = doc.AddGadget(Text("3", 1));
    onThree.SetSource(0, &hill, 3);
    Gadget& other = doc.AddGadget(Text("other", 1));
    other.SetSource(0, &vale, 5);
    doc.SetModifiedFlag(false);

    doc.OnChannelDeleted(hill, 2);  // channel 3
    EXPECT_EQ(onFive.source1.channel, 4);
    EXPECT_EQ(onFive.source1.station, &hill);
    EXPECT_EQ(onFive.source2.channel, 2);
    EXPECT_EQ(onThree.source1.station, nullptr);
    EXPECT_EQ(onThree.source1.channel, -1);
    EXPECT_EQ(other.source1.channel, 5);
    EXPECT_TRUE(doc.IsModified());

    doc.SetModifiedFlag(false);
    doc.OnChannelInserted(hill, 1);  // before channel 2
    EXPECT_EQ(onFive.source1.channel, 5);
    EXPECT_EQ(onFive.source2.channel, 3);
    EXPECT_EQ(other.source1.channel, 5);
    EXPECT_TRUE(doc.IsModified());
    doc.SetModifiedFlag(false);
    doc.OnChannelInserted(vale, 7);  // after every source of Vale
    EXPECT_FALSE(doc.IsModified());
}

TEST(DocumentPages, SwitchingTextKeepsPagesOneToEight) {
    EXPECT_EQ(CStratavueDoc::ParsePageNumbers("2, 9, x, 5"), (std::vector<uint32_t>{2, 5}));
    EXPECT_EQ(CStratavueDoc::ParsePageNumbers(""), std::vector<uint32_t>{});
    EXPECT_EQ(CStratavueDoc::ParsePageNumbers(",4,,-1,8junk"), (std::vector<uint32_t>{4, 8}));
    EXPECT_EQ(CStratavueDoc::ParsePageNumbers("99999999999999999999,3"), (std::vector<uint32_t>{3}));
    EXPECT_EQ(CStratavueDoc::FormatPageNumbers({2, 5}), "2,5");
}

TEST(DocumentPages, CopyPageElementsAppendsCopiesOnTheDestination) {
    TempDir dir;
    RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    doc.AddGadget(Text("b", 1));
    doc.AddGadget(Text("x", 2));
    doc.AddGadget(Text("a", 1));
    std::vector<Gadget*> copies = doc.CopyPageElements(1, 3);
    ASSERT_EQ(copies.size(), 2u);
    ASSERT_EQ(doc.gadgets.size(), 5u);
    EXPECT_EQ(static_cast<TextGadget&>(*doc.gadgets[3]).text, "a");
    EXPECT_EQ(static_cast<TextGadget&>(*doc.gadgets[4]).text, "b");
    EXPECT_EQ(doc.gadgets[4]->page, 3);
    EXPECT_EQ(doc.gadgets[4]->rect, doc.gadgets[2]->rect);

    // The background bitmap: a missing file still shows the page's colour; an empty name clears.
    doc.SetBackgroundBitmap(2, dir.File("missing.bmp"), 1);
    EXPECT_EQ(doc.showBitmap[1], 1);
    EXPECT_TRUE(doc.bitmap[1].IsEmpty());
    doc.SetBackgroundBitmap(2, "", 0);
    EXPECT_EQ(doc.showBitmap[1], 0);

    EXPECT_TRUE(doc.SetColour(2, PageColour::Alarm, 0x0000FF));
    EXPECT_FALSE(doc.SetColour(2, PageColour::Alarm, 0x0000FF));
    EXPECT_EQ(doc.Colour(2, PageColour::Normal), 0xC0C0C0u);
}

}  // namespace
}  // namespace svu
