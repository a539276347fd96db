#include <gtest/gtest.h>

#include "framework/TempDir.h"
#include "gadgets/BitmapGadget.h"
#include "gadgets/ItemTestSupport.h"
#include "gadgets/MultiStateGadget.h"
#include "gadgets/MultiTextGadget.h"

namespace svu {
namespace {

class StateTest : public ::testing::Test {
protected:
    void SetUp() override { SetGadgetBitmapFolder(dir.Path().string()); }
    void TearDown() override { SetGadgetBitmapFolder({}); }

    test::TempDir dir;
    test::Stations stations = test::OneStation();
};

TEST_F(StateTest, MultiStateShowsThePictureForTheStateOfItsValue) {
    const std::vector<QColor> colours = {Qt::red, Qt::green, Qt::blue};
    ASSERT_TRUE(test::SaveStrip(dir.File("lamp.bmp"), colours, 10, 10));
    MultiStateGadget g;
    g.bitmapFile = "lamp.bmp";
    ASSERT_TRUE(LoadGadgetBitmap(g));
    g.imageCount = 3;
    g.switchingPoints = {10, 20};
    g.SetSource(0, stations[0].get(), 1);
    for (auto [value, image] : std::vector<std::pair<const char*, int>>{{"10", 0}, {"15", 1}, {"25", 2}, {"x", 0}}) {
        test::SetValue(*stations[0], 1, value);
        g.UpdateFromChannels();
        EXPECT_EQ(g.ImageIndex(), image) << value;
        const QImage shown = test::Render(g, QSize(10, 10));
        EXPECT_EQ(shown.pixel(5, 5), colours[static_cast<size_t>(image)].rgb()) << value;
        EXPECT_EQ(shown.pixel(0, 9), colours[static_cast<size_t>(image)].rgb()) << value;
    }
    // Stretched into a larger item, still the one picture.
    test::SetValue(*stations[0], 1, "15");
    g.UpdateFromChannels();
    const QImage large = test::Render(g, QSize(40, 20));
    EXPECT_EQ(large.pixel(1, 1), QColor(Qt::green).rgb());
    EXPECT_EQ(large.pixel(38, 18), QColor(Qt::green).rgb());
    // Before the number of pictures is set the whole strip shows; without a picture the colour.
    g.imageCount = 0;
    EXPECT_EQ(test::Render(g, QSize(30, 10)).pixel(25, 5), QColor(Qt::blue).rgb());
    g.bitmap.Free();
    EXPECT_EQ(test::Render(g, QSize(30, 10)).pixel(25, 5), QColor(0xC0, 0xC0, 0xC0).rgb());
}

TEST_F(StateTest, MultiStateRefreshesOnlyWhenTheNumberChanges) {
    MultiStateGadget g;
    g.SetSource(0, stations[0].get(), 2);
    test::SetValue(*stations[0], 2, "0");
    EXPECT_FALSE(g.UpdateFromChannels());  // 0 is what it shows already
    test::SetValue(*stations[0], 2, "4.5");
    EXPECT_TRUE(g.UpdateFromChannels());
    test::SetValue(*stations[0], 2, "4.50");
    EXPECT_FALSE(g.UpdateFromChannels());
}

TEST_F(StateTest, MultiStateRecordRoundTripsAndLoadsItsPicture) {
    ASSERT_TRUE(test::SaveStrip(dir.File("lamp.bmp"), {Qt::red, Qt::green}, 4, 4));
    MultiStateGadget g;
    g.rect = {0, 0, 200, 100};
    g.imageCount = 2;
    g.switchingPoints = {1.5f, -2.0f};
    g.bitmapFile = "lamp.bmp";
    g.SetSource(0, stations[0].get(), 8);
    test::RecordBytes want;
    want.ClassTag("MultiStateGadget", 6).Base(6).U16(2).I32(0x3FC00000).I32(0xC0000000).I32(2);
    want.Str("lamp.bmp").Str("Raw7").Str("Hill");
    EXPECT_EQ(test::StoreItem(g), want.b);
    auto back = test::ReadItem<MultiStateGadget>(want.b);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->bitmap.Width(), 8u);
    EXPECT_EQ(back->switchingPoints, g.switchingPoints);
    back->ResolveSources(stations);
    EXPECT_EQ(test::StoreItem(*back), want.b);
    // The copy has its own picture and the default look.
    g.backgroundColour = 0x123456;
    ASSERT_TRUE(LoadGadgetBitmap(g));
    auto copy = g.Clone();
    EXPECT_EQ(copy->bitmap.Width(), 8u);
    EXPECT_EQ(copy->backgroundColour, Gadget::kDefaultBackground);
    EXPECT_EQ(copy->source1.channel, 8);

    test::RecordBytes v1;
    v1.ClassTag("MultiStateGadget", 1).Base(1).U16(0).I32(2).Str("gone.bmp").I32(3).Str("Hill");
    auto old = test::ReadItem<MultiStateGadget>(v1.b);
    EXPECT_TRUE(old->ReadInOldFormat());
    EXPECT_TRUE(old->bitmap.IsEmpty());  // a missing file: the background colour
    old->ResolveSources(stations);
    EXPECT_EQ(old->source1.channel, 3);
}

TEST_F(StateTest, MultiTextChoosesItsTextByTheSwitchingPoints) {
    MultiTextGadget g;
    g.switchingPoints = {10, 20, 30};
    g.texts = {"Low", "Mid", "High"};
    for (auto [value, index] : std::vector<std::pair<float, int>>{{5, 0}, {10, 0}, {20, 1}, {25, 2}, {100, 2}}) {
        g.currentValue = value;
        EXPECT_EQ(g.TextIndex(), index) << value;
    }
    g.switchingPoints = {10};
    g.texts = {"Only"};
    g.currentValue = 1000;
    EXPECT_EQ(g.TextIndex(), 0);

    // No pairs: only the background and the captions.
    g.switchingPoints.clear();
    g.texts.clear();
    g.backgroundColour = 0x00FF00;
    const QImage empty = test::Render(g, QSize(60, 30));
    for (int x = 0; x < 60; x += 7) {
        EXPECT_EQ(empty.pixel(x, 15), QColor(Qt::green).rgb());
    }
}

TEST_F(StateTest, MultiTextRecordRoundTrips) {
    MultiTextGadget g;
    g.rect = {0, 0, 200, 100};
    g.switchingPoints = {10, 20};
    g.texts = {"Calm", "Breezy"};
    g.SetSource(0, stations[0].get(), 1);
    test::RecordBytes want;
    want.ClassTag("MultiTextGadget", 6).Base(6).U16(2).I32(0x41200000).I32(0x41A00000);
    want.U16(2).Str("Calm").Str("Breezy").Str("Raw0").Str("Hill");
    EXPECT_EQ(test::StoreItem(g), want.b);
    auto back = test::ReadItem<MultiTextGadget>(want.b);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->texts, g.texts);
    EXPECT_EQ(test::StoreItem(*back), want.b);
    test::SetValue(*stations[0], 1, "15");
    back->ResolveSources(stations);
    EXPECT_TRUE(back->UpdateFromChannels());
    EXPECT_FALSE(back->UpdateFromChannels());
    EXPECT_EQ(back->TextIndex(), 1);
}

}  // namespace
}  // namespace svu
