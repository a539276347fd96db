#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QScrollBar>
#include <memory>

#include "app/CStratavueView.h"
#include "derived/TestStation.h"
#include "framework/BitmapFile.h"
#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "gadgets/TextGadget.h"
#include "pages/GadgetPages.h"
#include "pages/GadgetSheetRegistry.h"
#include "pages/PagesTestSupport.h"
#include "runtime/Runtime.h"
#include "stations/Alarm.h"

namespace svu {
namespace {

// A text item that counts the view's refresh calls; its type code picks its refresh rule.
class CountingGadget : public TextGadget {
public:
    explicit CountingGadget(int code) { typeCode = code; }
    bool UpdateFromChannels() override {
        ++updates;
        return true;
    }
    int updates = 0;
};

class ViewTest : public ::testing::Test {
protected:
    ViewTest() : settings_(dir_.Path().string()), runtime_(settings_, ui_, clock_), doc_(ui_), view_(doc_) {
        view_.SetRuntime(&runtime_);
        view_.SetUserInterface(ui_);
        view_.resize(640, 480);
    }

    Gadget& AddText(const std::string& text, int page, QRect r, uint32_t background) {
        auto g = std::make_unique<TextGadget>();
        g->text = text;
        g->page = page;
        g->SetRect(r);
        g->backgroundColour = background;
        g->mainFont.faceName = "DejaVu Sans";
        g->mainFont.height = -28;
        return doc_.AddGadget(std::move(g));
    }

    test::TempDir dir_;
    Settings settings_;
    test::RecordingUserInterface ui_;
    ManualClock clock_{0};
    Runtime runtime_;
    CStratavueDoc doc_;
    CStratavueView view_;
};

TEST_F(ViewTest, AnAlarmBeatsAnAlertForThePageColour) {
    doc_.normalColour[0] = 0xC0C0C0;
    doc_.alertColour[0] = 0x00FFFF;
    doc_.alarmColour[0] = 0x0000FF;
    auto station = std::make_unique<test::TestStation>(4, "Hill");
    station->active = 1;
    for (int kind : {0, 1}) {  // an alert, then an alarm
        auto alarm = std::make_unique<Alarm>();
        alarm->kind = kind;
        alarm->enabled = 1;
        station->alarms.push_back(std::move(alarm));
    }
    runtime_.Stations().push_back(std::move(station));
    auto& alarms = runtime_.Stations()[0]->alarms;
    EXPECT_EQ(view_.CurrentBackgroundColour(), 0xC0C0C0u);
    alarms[0]->triggered = 1;
    EXPECT_EQ(view_.CurrentAlarmState(), AlarmState::Alert);
    alarms[1]->triggered = 1;
    EXPECT_EQ(view_.CurrentAlarmState(), AlarmState::Alarm);
    EXPECT_EQ(view_.CurrentBackgroundColour(), 0x0000FFu);
    alarms[1]->enabled = 0;  // a disabled alarm does not count
    EXPECT_EQ(view_.CurrentBackgroundColour(), 0x00FFFFu);
    runtime_.Stations()[0]->active = 0;  // nor does a station that is switched off
    EXPECT_EQ(view_.CurrentBackgroundColour(), 0xC0C0C0u);
}

TEST_F(ViewTest, ShowsTheCurrentPageAndDrawsIt) {
    doc_.normalColour[0] = 0x804000;  // dark blue
    Gadget& hello = AddText("Hello", 1, QRect(40, 30, 240, 100), 0xE0FFFF);
    Gadget& second = AddText("Second", 1, QRect(320, 200, 200, 80), 0x00C0FF);
    second.borderStyle = static_cast<int32_t>(BorderStyle::Raised);
    second.topLeftText = "top left";
    second.bottomRightText = "bottom right";
    Gadget& other = AddText("Page two", 2, QRect(40, 30, 200, 100), 0xFFFFFF);
    view_.show();
    view_.InitialUpdate();
    ASSERT_NE(view_.WindowOf(hello), nullptr);
    EXPECT_TRUE(view_.WindowOf(hello)->isVisible());
    EXPECT_FALSE(view_.WindowOf(other)->isVisible());

    const QImage image = view_.ScreenImage();
    EXPECT_EQ(image.pixel(5, 5), QColor(0x00, 0x40, 0x80).rgb());
    EXPECT_EQ(image.pixel(60, 40), QColor(0xFF, 0xFF, 0xE0).rgb());  // inside the first item
    EXPECT_EQ(image.pixel(40, 30), QColor(0xD4, 0xD0, 0xC8).rgb());  // its frame

    view_.ShowPage(2);
    EXPECT_EQ(doc_.currentPage, 2);
    EXPECT_FALSE(view_.WindowOf(hello)->isVisible());
    EXPECT_TRUE(view_.WindowOf(other)->isVisible());
}

TEST_F(ViewTest, BackgroundBitmapModesPlaceThePicture) {
    // A 4 x 2 picture: red left half, green right half.
    const uint32_t red = 0xFFFF0000;
    const uint32_t green = 0xFF00FF00;
    const uint32_t pixels[8] = {red, red, green, green, red, red, green, green};
    const std::string path = dir_.File("back.bmp");
    ASSERT_TRUE(BitmapFile::FromArgb32(4, 2, pixels, 4).Save(path));
    doc_.normalColour[0] = 0xFF0000;  // blue
    view_.show();
    view_.InitialUpdate();
    EXPECT_EQ(view_.verticalScrollBar()->maximum(), 0);  // nothing on the page: no extent
    const QSize client = view_.viewport()->size();
    auto shot = [&](int mode) {
        doc_.SetBackgroundBitmap(1, path, mode);
        return view_.ScreenImage();
    };
    const QImage tile = shot(1);
    EXPECT_EQ(tile.pixel(0, 0), red);
    EXPECT_EQ(tile.pixel(2, 1), green);
    EXPECT_EQ(tile.pixel(4, 0), red);
    EXPECT_EQ(tile.pixel(6, 3), green);
    const QImage topLeft = shot(2);
    EXPECT_EQ(topLeft.pixel(3, 1), green);
    EXPECT_EQ(topLeft.pixel(4, 0), 0xFF0000FFu);
    const QImage centre = shot(0);
    EXPECT_EQ(centre.pixel(client.width() / 2 - 1, client.height() / 2), red);
    EXPECT_EQ(centre.pixel(client.width() / 2 + 1, client.height() / 2), green);
    EXPECT_EQ(centre.pixel(0, 0), 0xFF0000FFu);
    const QImage stretched = shot(3);
    EXPECT_EQ(stretched.pixel(0, client.height() - 1), red);
    EXPECT_EQ(stretched.pixel(client.width() - 1, 0), green);

    ASSERT_TRUE(view_.SaveScreenImage(QString::fromStdString(dir_.File("screen.bmp"))));
    Dib saved;
    ASSERT_TRUE(saved.Load(dir_.File("screen.bmp")));
    EXPECT_EQ(static_cast<int>(saved.Width()), client.width());
}

TEST_F(ViewTest, PageSwitchingFollowsTheSequence) {
    view_.InitialUpdate();
    view_.ApplyPageSwitching(true, "2, 9, x, 5", 3);
    EXPECT_EQ(doc_.switchSequence, (std::vector<uint32_t>{2, 5}));
    EXPECT_EQ(doc_.switchInterval, 3000);
    EXPECT_EQ(doc_.currentPage, 1);  // acquisition is off: nothing switches yet
    view_.SetAcquisitionRunning(true);
    EXPECT_EQ(doc_.currentPage, 2);
    view_.NextSwitchPage();
    EXPECT_EQ(doc_.currentPage, 5);
    view_.NextSwitchPage();
    EXPECT_EQ(doc_.currentPage, 2);
    view_.SetAcquisitionRunning(false);
    EXPECT_TRUE(doc_.IsModified());
}

TEST_F(ViewTest, RefreshCallsItemsByKindAndAcquisition) {
    auto* text = new CountingGadget(0);
    auto* time = new CountingGadget(2);
    auto* value = new CountingGadget(3);
    value->page = 4;  // items of hidden pages are refreshed too
    for (Gadget* g : std::initializer_list<Gadget*>{text, time, value}) {
        doc_.AddGadget(std::unique_ptr<Gadget>(g));
    }
    auto station = std::make_unique<test::TestStation>(4, "Hill");
    station->active = 1;
    runtime_.Stations().push_back(std::move(station));
    view_.RefreshTick();
    EXPECT_EQ(text->updates, 0);
    EXPECT_EQ(time->updates, 1);
    EXPECT_EQ(value->updates, 0);
    view_.SetAcquisitionRunning(true);
    view_.RefreshTick();
    EXPECT_EQ(text->updates, 0);
    EXPECT_EQ(time->updates, 2);
    EXPECT_EQ(value->updates, 1);
    runtime_.Stations()[0]->active = 0;  // running, but no station enabled
    view_.RefreshTick();
    EXPECT_EQ(value->updates, 1);
    view_.SetAcquisitionRunning(false);
}

TEST_F(ViewTest, AddCopyAndDeleteKeepTheListOrder) {
    view_.show();
    view_.InitialUpdate();
    view_.verticalScrollBar()->setRange(0, 1000);
    AddText("far", 1, QRect(10, 900, 100, 100), 0xFFFFFF);
    view_.verticalScrollBar()->setValue(50);
    // The new item's sheet opens first; however it closes, the item is added.
    test::WhenModal([](QWidget* sheet) { test::ClickCancel(sheet); });
    Gadget* added = view_.AddDisplayItemAt(0, QPoint(30, 40));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(doc_.gadgets.front().get(), added);
    EXPECT_EQ(added->rect, (std::array<int32_t, 4>{30, 90, 230, 190}));  // page coordinates, 200 x 100
    EXPECT_EQ(view_.AddDisplayItemAt(12, QPoint(0, 0)), nullptr);        // no such kind

    view_.CopyGadget(*added);
    ASSERT_EQ(doc_.gadgets.size(), 3u);
    EXPECT_EQ(doc_.gadgets.front()->rect, (std::array<int32_t, 4>{50, 110, 250, 210}));
    EXPECT_NE(view_.WindowOf(*doc_.gadgets.front()), nullptr);

    ui_.Answer(MsgResult::No);
    view_.DeleteGadget(*added);
    EXPECT_EQ(doc_.gadgets.size(), 3u);
    ui_.Answer(MsgResult::Yes);
    view_.DeleteGadget(*added);
    EXPECT_EQ(doc_.gadgets.size(), 2u);
    EXPECT_EQ(ui_.Messages().back().defaultButton, 2);  // "No" is the default

    view_.SetLayoutLocked(true);
    view_.CopyGadget(*doc_.gadgets.front());
    EXPECT_EQ(doc_.gadgets.size(), 2u);
}

TEST_F(ViewTest, ItemSheetsComeFromTheRegistryByKind) {
    view_.show();
    view_.InitialUpdate();
    QString caption;
    test::WhenModal([&caption](QWidget* sheet) {
        caption = sheet->windowTitle();
        test::ClickCancel(sheet);
    });
    Gadget* added = view_.AddDisplayItemAt(3, QPoint(0, 0));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(caption, "Properties - Value");

    // Whatever sheet the registry holds for the kind is the one "Properties..." opens.
    Gadget* asked = nullptr;
    GadgetSheetRegistry& registry = GadgetSheetRegistry::Instance();
    GadgetSheetRegistry::Maker previous = registry.Register(
        3, [&asked](QWidget* parent, Gadget& gadget, const GadgetSheetContext&) -> std::unique_ptr<PropertySheet> {
            asked = &gadget;
            return std::make_unique<PropertySheet>(parent, QStringLiteral("Stand-in"));
        });
    doc_.SetModifiedFlag(false);
    test::WhenModal([&caption](QWidget* sheet) {
        caption = sheet->windowTitle();
        test::ClickOk(sheet);
    });
    view_.EditGadgetProperties(*added);
    registry.Register(3, std::move(previous));
    EXPECT_EQ(asked, added);
    EXPECT_EQ(caption, "Stand-in");
    EXPECT_TRUE(doc_.IsModified());
}

TEST_F(ViewTest, SavingTheScreenAsksBeforeReplacingTheFileWithTheSuffixAdded) {
    const std::string existing = dir_.File("shot.bmp");
    test::WriteFileBytes(existing, "keep");
    view_.show();
    std::vector<std::string> questions;
    bool typed = false;
    bool closed = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            questions.push_back(box->text().toStdString());
            box->button(QMessageBox::No) != nullptr ? box->button(QMessageBox::No)->click() : box->reject();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (!typed) {
                typed = true;
                dialog->selectFile(QString::fromStdString(dir_.File("shot")));  // typed without ".bmp"
                // As the Save button does; queued, so this timer is free to answer the question.
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            } else {
                dialog->reject();
                closed = true;
            }
        }
    });
    user.start(5);
    view_.SaveScreenAsBitmap();
    for (int i = 0; i < 2000 && !closed; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    ASSERT_TRUE(closed);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find("shot.bmp"), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(existing), "keep");  // not replaced: the user said no
}

}  // namespace
}  // namespace svu
