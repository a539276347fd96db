#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <memory>

#include "derived/TestStation.h"
#include "gadgets/ItemTestSupport.h"
#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "gadgets/GadgetKinds.h"
#include "gadgets/GadgetWindow.h"
#include "gadgets/TextGadget.h"
#include "stations/StationFile.h"

namespace svu {
namespace {

using Bytes = test::RecordBytes;

// A kind with two sources, as the kinds that show channels store them.
class SourceGadget : public Gadget {
public:
    SourceGadget() : Gadget(3) {}
    const char* ClassName() const override { return "TestSourceGadget"; }
    void Serialize(Archive& ar) override {
        Gadget::Serialize(ar);
        SerializeSource(ar, 0);
        SerializeSource(ar, 1);
    }
    std::unique_ptr<Gadget> Clone() const override { return nullptr; }
};

const ClassRegistry& Registry() {
    static const ClassRegistry reg = [] {
        ClassRegistry r;
        RegisterGadgetClasses(r);
        r.RegisterClass<SourceGadget>("TestSourceGadget");
        return r;
    }();
    return reg;
}

std::vector<uint8_t> Store(const Gadget& g) {
    Archive ar = Archive::ForStoring(Registry());
    ar.WriteObject(&g);
    return ar.Bytes();
}

std::unique_ptr<Gadget> Read(std::vector<uint8_t> bytes) {
    Archive ar = Archive::ForLoading(std::move(bytes), Registry());
    std::unique_ptr<Gadget> g = ar.ReadObjectAs<Gadget>();
    ar.FinishLoading();
    EXPECT_TRUE(ar.AtEnd());
    return g;
}

TEST(GadgetRecord, BaseFieldsStandInRecordOrder) {
    TextGadget g;
    g.topLeftText = "TL";
    g.bottomRightText = "BR";
    g.rect = {1, 2, 3, 4};
    g.backgroundColour = 0x112233;
    g.mainFont = GadgetFont{-20, 700, 1, 2, 3, 4, "Arial"};
    g.mainColour = 0x445566;
    g.auxColour = 0x778899;
    g.page = 3;
    g.borderStyle = 5;
    g.transparent = 1;
    g.text = "Hi";
    Bytes want;
    want.ClassTag("TextGadget", 6).Str("TL").Str("BR").I32(1).I32(2).I32(3).I32(4).I32(0x112233);
    want.I32(-20).I32(700).U8(1).U8(2).U8(3).U8(4).Str("Arial").I32(0x445566);
    want.I32(-16).I32(400).U8(0).U8(0).U8(0).U8(0).Str("Times New Roman").I32(0x778899);
    want.I32(3).I32(5).I32(1).Str("Hi");
    EXPECT_EQ(Store(g), want.b);

    std::unique_ptr<Gadget> back = Read(want.b);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->schema, 6);
    EXPECT_EQ(back->mainFont, g.mainFont);
    EXPECT_EQ(back->transparent, 1);
    EXPECT_EQ(static_cast<TextGadget&>(*back).text, "Hi");
    EXPECT_EQ(Store(*back), want.b);
}

TEST(GadgetRecord, OlderSchemasAndDamage) {
    Bytes schema3;
    schema3.ClassTag("TextGadget", 3).Base(3, 2).Str("Old");
    std::unique_ptr<Gadget> old = Read(schema3.b);
    EXPECT_EQ(old->schema, 3);
    EXPECT_EQ(old->transparent, 0);
    EXPECT_EQ(static_cast<TextGadget&>(*old).text, "Old");

    Bytes schema4;
    schema4.ClassTag("TextGadget", 4).Base(4, 2).Str("New");
    EXPECT_EQ(static_cast<TextGadget&>(*Read(schema4.b)).text, "New");

    Bytes page9;
    page9.ClassTag("TextGadget", 6).Base(6, 9).Str("x");
    EXPECT_THROW(Read(page9.b), ArchiveError);
    Bytes schema7;
    schema7.ClassTag("TextGadget", 7).Base(7).Str("x");
    EXPECT_THROW(Read(schema7.b), ArchiveError);
    Bytes date;
    date.ClassTag("DateGadget", 6).Base(6);
    std::unique_ptr<Gadget> dateItem = Read(date.b);
    ASSERT_NE(dateItem, nullptr);
    EXPECT_EQ(dateItem->typeCode, 1);
}

TEST(GadgetSources, RelinkByNameAndKeepWhatDoesNotResolve) {
    StationList stations;
    stations.push_back(std::make_unique<test::TestStation>(8, "North"));
    stations.push_back(std::make_unique<test::TestStation>(8, "South"));
    SourceGadget g;
    g.SetSource(0, stations[1].get(), 4);  // "Raw3"
    const std::vector<uint8_t> bytes = Store(g);

    std::unique_ptr<Gadget> back = Read(bytes);
    back->ResolveSources(stations);
    EXPECT_EQ(back->source1.station, stations[1].get());
    EXPECT_EQ(back->source1.channel, 4);
    EXPECT_EQ(back->source2.station, nullptr);
    EXPECT_EQ(back->source2.channel, -1);

    // Another station list: the item is unlinked but the file keeps its link.
    StationList other;
    other.push_back(std::make_unique<test::TestStation>(2, "South"));
    std::unique_ptr<Gadget> elsewhere = Read(bytes);
    elsewhere->ResolveSources(other);
    EXPECT_EQ(elsewhere->source1.station, other[0].get());
    EXPECT_EQ(elsewhere->source1.channel, -1);
    EXPECT_EQ(Store(*elsewhere), bytes);
    elsewhere->SetSource(0, nullptr, -1);
    EXPECT_NE(Store(*elsewhere), bytes);

    // A schema-1 record holds channel numbers and is flagged as an old layout.
    Bytes v1;
    v1.ClassTag("TestSourceGadget", 1).Base(1).I32(7).Str("North").I32(2).Str("Nowhere");
    std::unique_ptr<Gadget> old = Read(v1.b);
    EXPECT_TRUE(old->ReadInOldFormat());
    old->ResolveSources(stations);
    EXPECT_EQ(old->source1.station, stations[0].get());
    EXPECT_EQ(old->source1.channel, 7);
    EXPECT_EQ(old->source2.station, nullptr);
    EXPECT_FALSE(Read(bytes)->ReadInOldFormat());
}

TEST(GadgetKinds, TableListsTheTwelveKindsInCodeOrder) {
    const auto& kinds = GadgetKinds();
    ASSERT_EQ(kinds.size(), 12u);
    for (size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(kinds[i].typeCode, static_cast<int>(i));
    }
    EXPECT_STREQ(kinds[9].listName, "Realtime wind rose");
    EXPECT_EQ(kinds[8].width, 400);
    EXPECT_EQ(kinds[8].height, 200);
    EXPECT_EQ(kinds[0].refresh, RefreshPolicy::Never);
    EXPECT_EQ(kinds[2].refresh, RefreshPolicy::EveryTick);
    std::unique_ptr<Gadget> text = CreateGadget(0);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->typeCode, 0);
    // Every kind built so far makes an item of its own code and archive class.
    for (const GadgetKind& kind : kinds) {
        if (kind.create) {
            std::unique_ptr<Gadget> item = CreateGadget(kind.typeCode);
            ASSERT_NE(item, nullptr) << kind.listName;
            EXPECT_EQ(item->typeCode, kind.typeCode) << kind.listName;
            EXPECT_STREQ(item->ClassName(), kind.className) << kind.listName;
        }
    }
    std::string error;
    EXPECT_EQ(CreateGadget(12, &error), nullptr);
    EXPECT_EQ(error, "There is no display item of type 12.");
}

TEST(GadgetCopy, CopiesTheLookButNotTheRunState) {
    TextGadget g;
    g.rect = {5, 6, 105, 56};
    g.page = 4;
    g.text = "Copied";
    g.transparent = 1;
    g.running = 1;
    g.borderStyle = 3;
    g.topLeftText = "a";
    std::unique_ptr<Gadget> copy = g.Clone();
    auto& text = static_cast<TextGadget&>(*copy);
    EXPECT_EQ(text.text, "Copied");
    EXPECT_EQ(text.rect, g.rect);
    EXPECT_EQ(text.page, 4);
    EXPECT_EQ(text.borderStyle, 3);
    EXPECT_EQ(text.topLeftText, "a");
    EXPECT_EQ(text.transparent, 0);
    EXPECT_EQ(text.running, 0);
}

uint32_t Grey(const QImage& image, int x, int y) {
    return static_cast<uint32_t>(qRed(image.pixel(x, y)));
}

TEST(GadgetBorder, BevelColoursFollowTheBackground) {
    TextGadget g;
    g.backgroundColour = 0x606060;  // 96 in every channel
    auto paint = [&](BorderStyle style) {
        g.borderStyle = static_cast<int32_t>(style);
        QImage image(20, 20, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        g.PaintBorder(painter, image.rect());
        return image;
    };
    QImage raised = paint(BorderStyle::Raised);
    EXPECT_EQ(Grey(raised, 0, 8), 255u);
    EXPECT_EQ(Grey(raised, 1, 8), 202u);  // c + 2(255 - c)/3
    EXPECT_EQ(Grey(raised, 2, 8), 149u);  // c + (255 - c)/3
    EXPECT_EQ(Grey(raised, 19, 8), 0u);
    EXPECT_EQ(Grey(raised, 18, 8), 32u);  // c - 2c/3
    EXPECT_EQ(Grey(raised, 17, 8), 64u);  // c - c/3
    QImage recessed = paint(BorderStyle::Recessed);
    EXPECT_EQ(Grey(recessed, 8, 0), 0u);
    EXPECT_EQ(Grey(recessed, 8, 19), 255u);
    QImage embossed = paint(BorderStyle::Embossed);
    EXPECT_EQ(Grey(embossed, 0, 8), 255u);
    EXPECT_EQ(Grey(embossed, 1, 8), 48u);
    EXPECT_EQ(Grey(embossed, 19, 8), 48u);
    EXPECT_EQ(Grey(embossed, 18, 8), 255u);
    QImage none = paint(BorderStyle::None);
    EXPECT_EQ(none.pixel(0, 0), QColor(Qt::magenta).rgb());
}

class StubHost : public GadgetHost {
public:
    bool LayoutLocked() const override { return locked; }
    bool AcquisitionRunning() const override { return running; }
    int CurrentPage() const override { return page; }
    QPoint ScrollPosition() const override { return scroll; }
    void GadgetMoved(Gadget&) override { ++moves; }
    void DeleteGadget(Gadget&) override {}
    void CopyGadget(Gadget&) override {}
    void EditGadgetProperties(Gadget&) override {}

    bool locked = false;
    bool running = false;
    int page = 1;
    QPoint scroll{0, 0};
    int moves = 0;
};

void Mouse(QWidget& w, QEvent::Type type, QPoint local, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(w.mapToGlobal(local)), button, held, modifiers);
    QApplication::sendEvent(&w, &event);
}

TEST(GadgetWindowDrag, MovesOnlyWhileTheLayoutMayChange) {
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    StubHost host;
    host.scroll = QPoint(0, 40);  // the page is scrolled down by 40
    TextGadget g;
    g.rect = {10, 60, 110, 110};
    GadgetWindow window(g, host, &parent);
    EXPECT_EQ(window.geometry(), QRect(10, 20, 100, 50));

    // Drag the middle by (30, 15); the start point is remembered in screen coordinates.
    const QPoint start(50, 25);
    const QPoint globalStart = window.mapToGlobal(start);
    Mouse(window, QEvent::MouseButtonPress, start);
    EXPECT_TRUE(window.Dragging());
    QMouseEvent move(QEvent::MouseMove, QPointF(start), QPointF(globalStart + QPoint(30, 15)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &move);
    Mouse(window, QEvent::MouseButtonRelease, start);
    EXPECT_FALSE(window.Dragging());
    EXPECT_EQ(window.pos(), QPoint(40, 35));
    EXPECT_EQ(g.rect, (std::array<int32_t, 4>{40, 75, 140, 125}));  // page coordinates
    EXPECT_EQ(host.moves, 1);

    // Shift, the lock and running acquisition each refuse the drag.
    Mouse(window, QEvent::MouseButtonPress, start, Qt::ShiftModifier);
    EXPECT_FALSE(window.Dragging());
    host.locked = true;
    Mouse(window, QEvent::MouseButtonPress, start);
    EXPECT_FALSE(window.Dragging());
    host.locked = false;
    host.running = true;
    Mouse(window, QEvent::MouseButtonPress, start);
    EXPECT_FALSE(window.Dragging());
    host.running = false;

    // The frame resizes: drag the bottom-right corner by (20, 10).
    const QPoint corner(window.width() - 1, window.height() - 1);
    const QPoint globalCorner = window.mapToGlobal(corner);
    Mouse(window, QEvent::MouseButtonPress, corner);
    QMouseEvent grow(QEvent::MouseMove, QPointF(corner), QPointF(globalCorner + QPoint(20, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &grow);
    Mouse(window, QEvent::MouseButtonRelease, corner);
    EXPECT_EQ(window.size(), QSize(120, 60));
    EXPECT_EQ(g.rect, (std::array<int32_t, 4>{40, 75, 160, 135}));
}

}  // namespace
}  // namespace svu
