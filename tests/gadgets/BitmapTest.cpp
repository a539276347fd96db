#include <gtest/gtest.h>

#include <filesystem>

#include "framework/TempDir.h"
#include "gadgets/BitmapGadget.h"
#include "gadgets/ItemTestSupport.h"
#include "pages/GadgetPages.h"

namespace svu {
namespace {

TEST(BitmapGadget, PaintsItsPictureOverTheWholeItemAndRoundTrips) {
    test::TempDir dir;
    SetGadgetBitmapFolder(dir.Path().string());
    ASSERT_TRUE(test::SaveStrip(dir.File("site.bmp"), {Qt::red, Qt::blue}, 5, 10));
    BitmapGadget g;
    g.rect = {0, 0, 200, 100};
    g.bitmapFile = "site.bmp";
    test::RecordBytes want;
    want.ClassTag("BitmapGadget", 6).Base(6).Str("site.bmp");
    EXPECT_EQ(test::StoreItem(g), want.b);

    auto back = test::ReadItem<BitmapGadget>(want.b);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->bitmap.Width(), 10u);  // loaded from the program folder
    const QImage shown = test::Render(*back, QSize(40, 20));
    EXPECT_EQ(shown.pixel(1, 1), QColor(Qt::red).rgb());
    EXPECT_EQ(shown.pixel(38, 18), QColor(Qt::blue).rgb());
    EXPECT_EQ(test::StoreItem(*back), want.b);

    back->mainColour = 0xFF;
    auto copy = back->Clone();
    EXPECT_EQ(copy->bitmap.Width(), 10u);
    EXPECT_EQ(copy->mainColour, 0u);

    // A file that is not a bitmap leaves the item plain.
    test::WriteFileBytes(dir.File("site.bmp"), "not a picture");
    auto plain = test::ReadItem<BitmapGadget>(want.b);
    EXPECT_TRUE(plain->bitmap.IsEmpty());
    EXPECT_EQ(test::Render(*plain, QSize(8, 8)).pixel(4, 4), QColor(0xC0, 0xC0, 0xC0).rgb());
    SetGadgetBitmapFolder({});
}

TEST(BitmapGadget, ChosenFilesAreCopiedIntoTheProgramFolderWithoutOverwriting) {
    test::TempDir program;
    test::TempDir elsewhere;
    test::WriteFileBytes(elsewhere.File("plan.bmp"), "first");
    test::WriteFileBytes(program.File("own.bmp"), "own");
    const std::string folder = program.Path().string();

    // A file of the program folder itself is taken by name, nothing copied.
    EXPECT_EQ(CopyBitmapIntoFolder(program.File("own.bmp"), folder + "/"), "own.bmp");
    EXPECT_EQ(CopyBitmapIntoFolder(program.File("own.bmp"), folder), "own.bmp");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(program.Path()), {}), 1);

    // The same file chosen twice from elsewhere: the plain name, then a numbered one.
    EXPECT_EQ(CopyBitmapIntoFolder(elsewhere.File("plan.bmp"), folder), "plan.bmp");
    test::WriteFileBytes(elsewhere.File("plan.bmp"), "second");
    EXPECT_EQ(CopyBitmapIntoFolder(elsewhere.File("plan.bmp"), folder), "plan(1).bmp");
    EXPECT_EQ(test::ReadFileBytes(program.File("plan.bmp")), "first");
    EXPECT_EQ(test::ReadFileBytes(program.File("plan(1).bmp")), "second");
    EXPECT_EQ(CopyBitmapIntoFolder(elsewhere.File("plan.bmp"), folder), "plan(2).bmp");
}

}  // namespace
}  // namespace svu
