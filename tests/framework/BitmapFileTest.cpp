#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/BitmapFile.h"

namespace svu {
namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

uint32_t Get32(const std::vector<uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// A bitmap file as a painting program writes it. `rows` are the stored rows (bottom row first
// unless the height is negative), each already padded to 4 bytes. Sizes in the file header are
// deliberately wrong: the reader must not depend on them.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, uint16_t bits, const std::vector<uint32_t>& palette,
                             const std::vector<std::vector<uint8_t>>& rows, bool core = false,
                             uint32_t compression = 0) {
    std::vector<uint8_t> b{'B', 'M'};
    Put32(b, 0);  // file size (unreliable)
    Put32(b, 0);
    Put32(b, 0);  // offset of bits (unreliable)
    if (core) {
        Put32(b, 12);
        Put16(b, static_cast<uint32_t>(width));
        Put16(b, static_cast<uint32_t>(height));
        Put16(b, 1);
        Put16(b, bits);
    } else {
        Put32(b, 40);
        Put32(b, static_cast<uint32_t>(width));
        Put32(b, static_cast<uint32_t>(height));
        Put16(b, 1);
        Put16(b, bits);
        Put32(b, compression);
        Put32(b, 0);  // image size: 0 is allowed for uncompressed bitmaps
        Put32(b, 2835);
        Put32(b, 2835);
        Put32(b, static_cast<uint32_t>(palette.size()));
        Put32(b, 0);
    }
    for (uint32_t c : palette) {
        b.push_back(static_cast<uint8_t>(c));
        b.push_back(static_cast<uint8_t>(c >> 8));
        b.push_back(static_cast<uint8_t>(c >> 16));
        if (!core) {
            b.push_back(0);
        }
    }
    for (const auto& row : rows) {
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

std::vector<uint32_t> Decode(const BitmapFile& bmp) {
    std::vector<uint32_t> pixels(std::size_t{bmp.Width()} * bmp.Height(), 0);
    EXPECT_TRUE(bmp.DecodeArgb32(pixels.data(), bmp.Width()));
    return pixels;
}

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;

TEST(BitmapFile, LoadsPalettedAndTrueColourBitmapsBottomUp) {
    BitmapFile bmp;
    // 1 bit, 3 x 2: bottom row 1 0 1, top row 0 1 0.
    auto one = MakeBmp(3, 2, 1, {0x000000, 0xFFFFFF}, {{0xA0, 0, 0, 0}, {0x40, 0, 0, 0}});
    ASSERT_TRUE(bmp.ParseFile(one.data(), one.size()));
    EXPECT_EQ(bmp.ColourCount(), 2u);
    EXPECT_TRUE(bmp.HasPalette());
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kBlack, kWhite, kBlack, kWhite, kBlack, kWhite}));

    // 4 bit with a 3-colour table; index 7 lies beyond it and shows black.
    auto four = MakeBmp(3, 1, 4, {0x0000FF, 0x00FF00, 0xFF0000}, {{0x12, 0x70, 0, 0}});
    ASSERT_TRUE(bmp.ParseFile(four.data(), four.size()));
    EXPECT_EQ(bmp.ColourCount(), 3u);
    EXPECT_EQ(bmp.ColourTable()[2], (BitmapFile::Rgb{255, 0, 0}));
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kGreen, kRed, kBlack}));

    // 8 bit without a colour count: the full 256-entry table is there.
    std::vector<uint32_t> grey(256);
    for (uint32_t i = 0; i < 256; ++i) {
        grey[i] = i * 0x010101;
    }
    auto eight = MakeBmp(2, 1, 8, {}, {{0x10, 0xFF, 0, 0}});
    eight.insert(eight.begin() + 54, reinterpret_cast<uint8_t*>(grey.data()),
                 reinterpret_cast<uint8_t*>(grey.data()) + 1024);
    ASSERT_TRUE(bmp.ParseFile(eight.data(), eight.size()));
    EXPECT_EQ(bmp.ColourCount(), 256u);
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{0xFF101010, kWhite}));

    // 24 bit, blue-green-red bytes, rows padded to 4 bytes.
    auto rgb = MakeBmp(1, 2, 24, {}, {{0xFF, 0, 0, 0}, {0, 0, 0xFF, 0}});
    ASSERT_TRUE(bmp.ParseFile(rgb.data(), rgb.size()));
    EXPECT_FALSE(bmp.HasPalette());
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kRed, kBlue}));

    // 16 bit 5-5-5 and 32 bit with its reserved byte ignored.
    auto sixteen = MakeBmp(2, 1, 16, {}, {{0x00, 0x7C, 0x1F, 0x00}});
    ASSERT_TRUE(bmp.ParseFile(sixteen.data(), sixteen.size()));
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kRed, kBlue}));
    auto deep = MakeBmp(1, 1, 32, {}, {{0x00, 0xFF, 0x00, 0x12}});
    ASSERT_TRUE(bmp.ParseFile(deep.data(), deep.size()));
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kGreen}));
}

TEST(BitmapFile, CoreHeaderLoadsButCannotBeSaved) {
    auto core = MakeBmp(2, 1, 8, {0x0000FF, 0x00FF00}, {{1, 0, 0, 0}}, true);
    core.resize(14 + 12 + 256 * 3);  // a core table always has 2^bits entries
    core.insert(core.end(), {1, 0, 0, 0});
    BitmapFile bmp;
    ASSERT_TRUE(bmp.ParseFile(core.data(), core.size()));
    EXPECT_EQ(bmp.HeaderSize(), 12u);
    EXPECT_EQ(bmp.Width(), 2u);
    EXPECT_EQ(bmp.Height(), 1u);
    EXPECT_EQ(bmp.ColourTable()[1], (BitmapFile::Rgb{0, 255, 0}));
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kGreen, kBlue}));
    EXPECT_TRUE(bmp.FileBytes().empty());
    EXPECT_FALSE(bmp.Save((std::filesystem::temp_directory_path() / "svu_core_header.bmp").string()));
}

TEST(BitmapFile, NegativeHeightIsTopDownWithoutPalette) {
    auto bmp8 = MakeBmp(1, -2, 8, {0x0000FF, 0xFF0000}, {{0, 0, 0, 0}, {1, 0, 0, 0}});
    BitmapFile bmp;
    ASSERT_TRUE(bmp.ParseFile(bmp8.data(), bmp8.size()));
    EXPECT_TRUE(bmp.TopDown());
    EXPECT_EQ(bmp.Height(), 2u);
    EXPECT_FALSE(bmp.HasPalette());
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kBlue, kRed}));
}

TEST(BitmapFile, RejectsWhatCannotBeABitmap) {
    const auto good = MakeBmp(3, 2, 24, {}, {std::vector<uint8_t>(12, 0x40), std::vector<uint8_t>(12, 0x80)});
    BitmapFile bmp;
    ASSERT_TRUE(bmp.ParseFile(good.data(), good.size()));

    auto shortFile = good;
    shortFile.pop_back();
    EXPECT_FALSE(bmp.ParseFile(shortFile.data(), shortFile.size()));
    EXPECT_TRUE(bmp.IsEmpty());
    EXPECT_EQ(bmp.Width(), 0u);

    auto notBm = good;
    notBm[1] = 'A';
    EXPECT_FALSE(bmp.ParseFile(notBm.data(), notBm.size()));
    EXPECT_FALSE(bmp.ParseFile(good.data(), 13));

    auto hugeTable = MakeBmp(1, 1, 8, {0}, {{0, 0, 0, 0}});
    hugeTable[14 + 32] = 0xFF;  // biClrUsed far beyond the file
    hugeTable[14 + 35] = 0x7F;
    EXPECT_FALSE(bmp.ParseFile(hugeTable.data(), hugeTable.size()));

    auto hugeSize = good;
    hugeSize[14 + 4 + 3] = 0x7F;  // width 2^31 - x, height 2: rows cannot fit
    hugeSize[14 + 8 + 3] = 0x7F;
    EXPECT_FALSE(bmp.ParseFile(hugeSize.data(), hugeSize.size()));

    auto oddBits = good;
    oddBits[14 + 14] = 7;
    EXPECT_FALSE(bmp.ParseFile(oddBits.data(), oddBits.size()));

    auto oddHeader = good;
    oddHeader[14] = 20;
    EXPECT_FALSE(bmp.ParseFile(oddHeader.data(), oddHeader.size()));

    EXPECT_FALSE(bmp.Load("/nonexistent/picture.bmp"));
}

TEST(BitmapFile, SaveWritesRecomputedSizesAndReloads) {
    auto file = MakeBmp(3, 2, 4, {0x0000FF, 0x00FF00}, {{0x01, 0x10, 0, 0}, {0x11, 0x00, 0, 0}});
    file.insert(file.end(), {9, 9, 9});  // trailing bytes are not part of the picture
    BitmapFile bmp;
    ASSERT_TRUE(bmp.ParseFile(file.data(), file.size()));
    const std::vector<uint8_t> saved = bmp.FileBytes();
    const uint32_t table = 2 * 4;
    ASSERT_EQ(saved.size(), 14u + 40 + table + 8);
    EXPECT_EQ(saved[0], 'B');
    EXPECT_EQ(saved[1], 'M');
    EXPECT_EQ(Get32(saved, 2), saved.size());
    EXPECT_EQ(Get32(saved, 6), 0u);
    EXPECT_EQ(Get32(saved, 10), 14u + 40 + table);
    EXPECT_EQ(Get32(saved, 14 + 20), 8u);  // image size stored back into the header
    // Everything else is the original's bytes.
    EXPECT_TRUE(std::equal(saved.begin() + 14, saved.begin() + 14 + 20, file.begin() + 14));
    EXPECT_TRUE(std::equal(saved.begin() + 14 + 24, saved.end(), file.begin() + 14 + 24));

    const auto path = (std::filesystem::temp_directory_path() / "svu_bitmap_round_trip.bmp").string();
    ASSERT_TRUE(bmp.Save(path));
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> onDisk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(onDisk, saved);
    BitmapFile again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(Decode(again), Decode(bmp));
    std::filesystem::remove(path);
}

TEST(BitmapFile, FromPixelsMakesA24BitBottomUpBitmap) {
    const uint32_t pixels[] = {kRed, kGreen, 0, kBlue, kWhite, 0};  // stride 3, width 2
    const BitmapFile bmp = BitmapFile::FromArgb32(2, 2, pixels, 3);
    ASSERT_FALSE(bmp.IsEmpty());
    EXPECT_EQ(bmp.HeaderSize(), 40u);
    EXPECT_EQ(bmp.BitCount(), 24u);
    EXPECT_FALSE(bmp.TopDown());
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite}));
}

TEST(BitmapFile, DecodesRunLengthBitmapsAndSurvivesDamagedRuns) {
    // 8-bit runs, 4 x 2: bottom row three of index 1 then literal 2; a move up; end.
    std::vector<uint8_t> runs{3, 1, 0, 0, 0, 3, 2, 1, 1, 0, 0, 1};
    auto file = MakeBmp(4, 2, 8, {0x000000, 0xFF0000, 0x00FF00}, {runs}, false, BitmapFile::kCompressionRle8);
    file[14 + 20] = static_cast<uint8_t>(runs.size());  // compressed size
    BitmapFile bmp;
    ASSERT_TRUE(bmp.ParseFile(file.data(), file.size()));
    EXPECT_EQ(Decode(bmp), (std::vector<uint32_t>{kGreen, kRed, kRed, kBlack, kRed, kRed, kRed, kBlack}));

    file[14 + 20] = 5;  // cut inside the literal run: decoding stops there
    ASSERT_TRUE(bmp.ParseFile(file.data(), file.size()));
    EXPECT_EQ(Decode(bmp)[4], kRed);
}

}  // namespace
}  // namespace svu
