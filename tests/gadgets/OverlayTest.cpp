#include <gtest/gtest.h>

#include <cmath>

#include "gadgets/ItemTestSupport.h"
#include "gadgets/OverlayGadget.h"

namespace svu {
namespace {

constexpr uint32_t kPointer = 0x0000FF;  // red
constexpr uint32_t kRose = 0xFF0000;     // blue

// The pixel `distance` pixels from the origin towards compass bearing `bearing`.
QRgb At(const QImage& image, const OverlayGadget& g, double bearing, double distance) {
    const double radians = bearing * M_PI / 180.0;
    return image.pixel(static_cast<int>(std::lround(g.originX + distance * std::sin(radians))),
                       static_cast<int>(std::lround(g.originY - distance * std::cos(radians))));
}

std::unique_ptr<OverlayGadget> Overlay(float direction) {
    auto made = std::make_unique<OverlayGadget>();
    OverlayGadget& g = *made;
    g.pointerColour = kPointer;
    g.roseColour = kRose;
    g.backgroundColour = 0xFFFFFF;
    g.direction = direction;
    return made;
}

TEST(OverlayGadget, PointerLiesAtTheBearingOfItsValueNotOpposite) {
    const QRgb pointer = ColourFromRef(kPointer).rgb();
    for (float direction : {0.0f, 90.0f, 225.0f, 300.0f}) {
        auto made = Overlay(direction);
        OverlayGadget& g = *made;
        const QImage image = test::Render(g, QSize(150, 150));
        EXPECT_EQ(At(image, g, direction, 0.5 * g.radius), pointer) << direction;
        EXPECT_EQ(At(image, g, direction, 0.9 * g.radius), pointer) << direction;
        EXPECT_NE(At(image, g, direction + 180, 0.5 * g.radius), pointer) << direction;
        EXPECT_NE(At(image, g, direction + 90, 0.5 * g.radius), pointer) << direction;
        // The sector arc between the circles marks the same side.
        EXPECT_EQ(At(image, g, direction, g.radius + 3), ColourFromRef(kRose).rgb()) << direction;
        EXPECT_NE(At(image, g, direction + 180, g.radius + 3), ColourFromRef(kRose).rgb()) << direction;
    }
}

TEST(OverlayGadget, FullLengthPointerRunsFromTheCentreOutwardsOrInwards) {
    auto outItem = Overlay(90);
    OverlayGadget& out = *outItem;
    out.pointerLength = 100;
    out.pointerWidth = 20;
    const QImage outwards = test::Render(out, QSize(150, 150));
    const QRgb pointer = ColourFromRef(kPointer).rgb();
    EXPECT_EQ(At(outwards, out, 90, 2), pointer);
    EXPECT_EQ(At(outwards, out, 90, out.radius - 2), pointer);
    // Wide at the centre, narrow at the circle.
    EXPECT_EQ(outwards.pixel(out.originX + 3, out.originY + 8), pointer);
    EXPECT_NE(outwards.pixel(out.originX + out.radius - 6, out.originY + 8), pointer);

    auto inItem = Overlay(90);
    OverlayGadget& in = *inItem;
    in.pointerLength = 100;
    in.pointerWidth = 20;
    in.pointInwards = 1;
    const QImage inwards = test::Render(in, QSize(150, 150));
    EXPECT_EQ(At(inwards, in, 90, 2), pointer);
    EXPECT_NE(inwards.pixel(in.originX + 3, in.originY + 8), pointer);
    EXPECT_EQ(inwards.pixel(in.originX + in.radius - 6, in.originY + 8), pointer);
    EXPECT_NE(At(inwards, in, 90, in.radius - 2), pointer);  // its base is 4 pixels inside
}

TEST(OverlayGadget, TransparentItemLeavesThePageVisible) {
    auto made = Overlay(0);
    OverlayGadget& g = *made;
    EXPECT_EQ(test::Render(g, QSize(150, 150)).pixel(2, 140), qRgb(255, 255, 255));
    g.transparent = 1;
    EXPECT_EQ(test::Render(g, QSize(150, 150)).pixel(2, 140), QColor(Qt::magenta).rgb());
}

TEST(OverlayGadget, RefreshesOnlyWhenTheDirectionChanges) {
    test::Stations stations = test::OneStation();
    OverlayGadget g;
    g.SetSource(0, stations[0].get(), 4);
    test::SetValue(*stations[0], 4, "270");
    EXPECT_TRUE(g.UpdateFromChannels());
    EXPECT_FLOAT_EQ(g.direction, 270);
    EXPECT_FALSE(g.UpdateFromChannels());
    test::SetValue(*stations[0], 4, "270.0");
    EXPECT_FALSE(g.UpdateFromChannels());
}

TEST(OverlayGadget, RecordRoundTripsAndOlderLayoutsRead) {
    test::Stations stations = test::OneStation();
    auto made = Overlay(0);
    OverlayGadget& g = *made;
    g.rect = {0, 0, 200, 100};
    g.backgroundColour = 0xC0C0C0;
    g.bitmapFile = "yard.bmp";
    g.pointInwards = 1;
    g.SetSource(0, stations[0].get(), 5);
    test::RecordBytes want;
    want.ClassTag("OverlayGadget", 6).Base(6).Str("yard.bmp").I32(75).I32(10).I32(40).I32(75).I32(75);
    want.I32(kPointer).I32(kRose).Str("Raw4").Str("Hill").I32(1);
    EXPECT_EQ(test::StoreItem(g), want.b);
    auto back = test::ReadItem<OverlayGadget>(want.b);
    ASSERT_NE(back, nullptr);
    back->ResolveSources(stations);
    EXPECT_EQ(test::StoreItem(*back), want.b);
    EXPECT_EQ(test::StoreItem(*g.Clone()), want.b);

    // Schema 2 has no "Point inwards"; schema 1 also holds a channel number.
    test::RecordBytes v2;
    v2.ClassTag("OverlayGadget", 2).Base(2).Str("").I32(50).I32(8).I32(30).I32(40).I32(40).I32(0).I32(0);
    v2.Str("Raw4").Str("Hill");
    auto two = test::ReadItem<OverlayGadget>(v2.b);
    EXPECT_EQ(two->pointInwards, 0);
    EXPECT_EQ(two->radius, 30);
    EXPECT_FALSE(two->ReadInOldFormat());
    test::RecordBytes v1;
    v1.ClassTag("OverlayGadget", 1).Base(1).Str("").I32(50).I32(8).I32(30).I32(40).I32(40).I32(0).I32(0);
    v1.I32(5).Str("Hill");
    auto one = test::ReadItem<OverlayGadget>(v1.b);
    EXPECT_TRUE(one->ReadInOldFormat());
    one->ResolveSources(stations);
    EXPECT_EQ(one->source1.channel, 5);
}

}  // namespace
}  // namespace svu
