#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QPainter>
#include <filesystem>
#include <memory>

#include "framework/TempDir.h"
#include "gadgets/Dib.h"

namespace svu {
namespace {



class DibTest : public ::testing::Test {
protected:
    test::TempDir dir_;
    // Each test has its own folder: ctest runs tests of this program in parallel processes.
    void SetUp() override { path_ = dir_.File("picture.bmp"); }

    // A 4 x 3 picture, every pixel different, saved as a file and loaded.
    Dib LoadedPicture() {
        uint32_t pixels[12];
        for (uint32_t i = 0; i < 12; ++i) {
            pixels[i] = 0xFF000000u | (i * 20u << 16) | ((255 - i * 20u) << 8) | (i * 7u);
        }
        EXPECT_TRUE(BitmapFile::FromArgb32(4, 3, pixels, 4).Save(path_));
        Dib dib;
        EXPECT_TRUE(dib.Load(path_));
        return dib;
    }

    std::string path_;
};

TEST_F(DibTest, PaintsPixelForPixelAtItsOwnSize) {
    const Dib dib = LoadedPicture();
    ASSERT_EQ(dib.Width(), 4u);
    ASSERT_EQ(dib.Height(), 3u);
    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    dib.Paint(painter, QRect(5, 6, 4, 3), QRect(0, 0, 4, 3));
    dib.Paint(painter, QRect(0, 0, 2, 1), QRect(1, 2, 2, 1));  // a part, source rows top-down
    painter.end();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(target.pixel(5 + x, 6 + y), dib.Image().pixel(x, y));
        }
    }
    EXPECT_EQ(target.pixel(0, 0), dib.Image().pixel(1, 2));
    EXPECT_EQ(target.pixel(1, 0), dib.Image().pixel(2, 2));
}

TEST_F(DibTest, StretchesToAnyOtherSize) {
    const Dib dib = LoadedPicture();
    QImage target(8, 6, QImage::Format_RGB32);
    QPainter painter(&target);
    dib.Paint(painter, QRect(0, 0, 8, 6), QRect(0, 0, 4, 3));
    painter.end();
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(target.pixel(x, y), dib.Image().pixel(x / 2, y / 2));
        }
    }
}

TEST_F(DibTest, FailedLoadLeavesItEmpty) {
    Dib dib = LoadedPicture();
    EXPECT_FALSE(dib.Load(std::string("/nonexistent/x.bmp")));
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(dib.Width(), 0u);
    EXPECT_TRUE(dib.Image().isNull());
    QImage target(2, 2, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    dib.Paint(painter, QRect(0, 0, 2, 2), QRect(0, 0, 2, 2));  // draws nothing
    painter.end();
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(DibTest, CapturesAWidgetAndSavesIt) {
    QFrame frame;
    frame.setFrameStyle(QFrame::Box | QFrame::Plain);
    frame.setLineWidth(3);
    frame.setAutoFillBackground(true);
    QPalette palette = frame.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 30));
    frame.setPalette(palette);
    frame.resize(40, 30);

    Dib dib;
    EXPECT_FALSE(dib.Capture(&frame, 2));
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_FALSE(dib.Capture(nullptr, 0));

    ASSERT_TRUE(dib.Capture(&frame, 0));
    EXPECT_EQ(dib.Width(), 40u);
    EXPECT_EQ(dib.Height(), 30u);
    ASSERT_TRUE(dib.Capture(&frame, 1));
    EXPECT_EQ(dib.Width(), 34u);
    EXPECT_EQ(dib.Height(), 24u);
    EXPECT_EQ(dib.File().BitCount(), 24u);
    EXPECT_EQ(dib.Image().pixel(10, 10), qRgb(10, 200, 30));

    ASSERT_TRUE(dib.Save(path_));
    Dib again;
    ASSERT_TRUE(again.Load(path_));
    EXPECT_EQ(again.Image(), dib.Image());

    QFrame empty;
    empty.resize(0, 10);
    EXPECT_FALSE(dib.Capture(&empty, 0));
    EXPECT_TRUE(dib.IsEmpty());
}

}  // namespace
}  // namespace svu
