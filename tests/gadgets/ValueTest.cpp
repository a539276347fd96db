#include <gtest/gtest.h>

#include "app/CStratavueDoc.h"
#include "framework/RecordingUserInterface.h"
#include "framework/StringTable.h"
#include "gadgets/ItemTestSupport.h"
#include "gadgets/ValueGadget.h"

namespace svu {
namespace {

std::string Shown(int raw, int width, int precision, int sign, int zeros, const std::string& value) {
    ValueGadget g;
    g.raw = raw;
    g.width = width;
    g.precision = precision;
    g.showSign = sign;
    g.leadingZeros = zeros;
    g.lastValue = value;
    return g.Text();
}

TEST(ValueGadget, FormatsItsNumberAsItsSettingsSay) {
    EXPECT_EQ(Shown(1, 8, 2, 1, 1, " 12.7x"), " 12.7x");  // raw: as received
    EXPECT_EQ(Shown(0, 1, 0, 0, 0, "12.7"), "13");
    EXPECT_EQ(Shown(0, 8, 2, 1, 1, "3.14159"), "+0003.14");
    EXPECT_EQ(Shown(0, 8, 2, 0, 0, "-3.14159"), "   -3.14");
    EXPECT_EQ(Shown(0, 6, 1, 0, 0, ""), "   0.0");   // nothing yet: a formatted 0
    EXPECT_EQ(Shown(0, 4, 1, 0, 0, "wet"), " 0.0");  // not a number: 0
    // A damaged file's settings cannot make the text absurdly long.
    EXPECT_EQ(Shown(0, 1000000, 99, 0, 0, "1").size(), 20u);
}

TEST(ValueGadget, RefreshesOnlyWhenTheValueTextChanges) {
    test::Stations stations = test::OneStation();
    ValueGadget g;
    EXPECT_FALSE(g.UpdateFromChannels());  // no source
    g.SetSource(0, stations[0].get(), 3);
    test::SetValue(*stations[0], 3, "7.5");
    EXPECT_TRUE(g.UpdateFromChannels());
    EXPECT_EQ(g.lastValue, "7.5");
    EXPECT_FALSE(g.UpdateFromChannels());
    EXPECT_FALSE(g.UpdateFromChannels());
    test::SetValue(*stations[0], 3, "7.50");  // the text, not the number, decides
    EXPECT_TRUE(g.UpdateFromChannels());
    g.SetSource(0, stations[0].get(), 9);  // beyond the channel table: keeps its last content
    EXPECT_FALSE(g.UpdateFromChannels());
    EXPECT_EQ(g.lastValue, "7.50");
}

TEST(ValueGadget, RecordRoundTripsAndTheCopyKeepsFormatAndSource) {
    test::Stations stations = test::OneStation();
    ValueGadget g;
    g.raw = 0;
    g.width = 5;
    g.precision = 3;
    g.showSign = 1;
    g.SetSource(0, stations[0].get(), 2);
    test::RecordBytes want;
    want.ClassTag("ValueGadget", 6).Base(6).I32(0).I32(5).I32(3).I32(1).I32(0).Str("Raw1").Str("Hill");
    g.rect = {0, 0, 200, 100};
    EXPECT_EQ(test::StoreItem(g), want.b);

    auto back = test::ReadItem<ValueGadget>(want.b);
    ASSERT_NE(back, nullptr);
    back->ResolveSources(stations);
    EXPECT_EQ(back->source1.channel, 2);
    EXPECT_EQ(back->width, 5);
    EXPECT_FALSE(back->ReadInOldFormat());
    EXPECT_EQ(test::StoreItem(*back), want.b);

    auto copy = g.Clone();
    EXPECT_EQ(test::StoreItem(*copy), want.b);
}

TEST(ValueGadget, SchemaOneRecordKeepsItsNumberAndTheDocumentWarnsOncePerLoad) {
    test::Stations stations = test::OneStation();
    stations[0]->channelNames[4] = "Renamed";
    test::RecordingUserInterface ui;
    CStratavueDoc doc(ui);
    doc.SetStations(&stations);
    const std::vector<uint8_t> empty = doc.Bytes();

    // Two schema-1 value records (the second names its class by index) ahead of the page data.
    test::RecordBytes file;
    file.U16(2).ClassTag("ValueGadget", 1).Base(1).I32(1).I32(8).I32(2).I32(0).I32(0).I32(5).Str("Hill");
    file.U16(0x8001).Base(1).I32(0).I32(8).I32(2).I32(0).I32(0).I32(6).Str("Hill");
    file.b.insert(file.b.end(), empty.begin() + 2, empty.end());
    std::string error;
    ASSERT_TRUE(doc.LoadBytes(file.b, &error)) << error;
    ASSERT_EQ(doc.gadgets.size(), 2u);
    EXPECT_EQ(doc.gadgets[0]->source1.channel, 5);
    EXPECT_EQ(doc.gadgets[1]->source1.channel, 6);
    EXPECT_EQ(doc.gadgets[0]->transparent, 0);
    EXPECT_EQ(doc.oldFormat, 1);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, Str(536));

    // Saved again the items name their channels and the file loads without the warning.
    ASSERT_TRUE(doc.LoadBytes(doc.Bytes(), &error)) << error;
    EXPECT_EQ(doc.gadgets[0]->source1.channel, 5);
    EXPECT_EQ(ui.Messages().size(), 1u);
}

}  // namespace
}  // namespace svu
