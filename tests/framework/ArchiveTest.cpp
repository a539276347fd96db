// Byte layouts of archive scalars, strings, counts and plain arrays.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Archive.h"

namespace svu {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Stored(const std::function<void(Archive&)>& body) {
    static const ClassRegistry reg;
    Archive ar = Archive::ForStoring(reg);
    body(ar);
    return ar.Bytes();
}

Bytes StoredString(const std::string& s) {
    return Stored([&](Archive& ar) { ar.WriteString(s); });
}

std::string LoadedString(Bytes bytes) {
    ClassRegistry reg;
    Archive ar = Archive::ForLoading(std::move(bytes), reg);
    std::string s = ar.ReadString();
    EXPECT_TRUE(ar.AtEnd());
    return s;
}

Bytes Concat(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(ArchiveScalars, LittleEndianAndIeeeBytes) {
    const Bytes bytes = Stored([](Archive& ar) {
        ar.WriteU16(0x1234);
        ar.WriteI32(-2);
        ar.WriteF32(1.0f);
        ar.WriteF64(-2.5);
        bool flag = true;
        ar.Field(flag);
    });
    // clang-format off
    EXPECT_EQ(bytes, (Bytes{0x34, 0x12,
                            0xFE, 0xFF, 0xFF, 0xFF,
                            0x00, 0x00, 0x80, 0x3F,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0,
                            0x01, 0x00, 0x00, 0x00}));
    // clang-format on

    ClassRegistry reg;
    Archive ar = Archive::ForLoading(bytes, reg);
    EXPECT_EQ(ar.ReadU16(), 0x1234);
    EXPECT_EQ(ar.ReadI32(), -2);
    EXPECT_EQ(ar.ReadF32(), 1.0f);
    EXPECT_EQ(ar.ReadF64(), -2.5);
    bool flag = false;
    ar.Field(flag);
    EXPECT_TRUE(flag);
    EXPECT_TRUE(ar.AtEnd());
    EXPECT_THROW(ar.ReadU8(), ArchiveError);
}

TEST(ArchiveStrings, AnsiLengthFormsAtEachBoundary) {
    EXPECT_EQ(StoredString(""), (Bytes{0x00}));
    EXPECT_EQ(StoredString("abc"), (Bytes{0x03, 'a', 'b', 'c'}));

    struct Case {
        size_t length;
        Bytes prefix;
    };
    // 0xFFFE must not use the two-byte form: there it would read as the UTF-16 marker.
    for (const Case& c : {Case{254, {0xFE}}, Case{255, {0xFF, 0xFF, 0x00}}, Case{0xFFFD, {0xFF, 0xFD, 0xFF}},
                          Case{0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                          Case{70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}}) {
        const std::string text(c.length, 'x');
        const Bytes bytes = StoredString(text);
        EXPECT_EQ(bytes, Concat(c.prefix, Bytes(c.length, 'x'))) << c.length;
        EXPECT_EQ(LoadedString(bytes), text) << c.length;
    }
}

TEST(ArchiveStrings, Windows1252TextIsWrittenAnsi) {
    EXPECT_EQ(StoredString("caf\xC3\xA9 \xE2\x82\xAC"), (Bytes{0x06, 'c', 'a', 'f', 0xE9, ' ', 0x80}));
    // Bytes Windows leaves unassigned come back as the C1 control of the same value.
    EXPECT_EQ(LoadedString({0x03, 0x81, 0x9F, 0x99}), "\xC2\x81\xC5\xB8\xE2\x84\xA2");
    EXPECT_EQ(StoredString("\xC2\x81\xC5\xB8\xE2\x84\xA2"), (Bytes{0x03, 0x81, 0x9F, 0x99}));
    // A non-canonical two-byte length is still read.
    EXPECT_EQ(LoadedString({0xFF, 0x02, 0x00, 'o', 'k'}), "ok");
}

TEST(ArchiveStrings, OtherTextIsWrittenAsUtf16) {
    const std::string lodz = "\xC5\x81\xC3\xB3\x64\xC5\xBA \xE2\x98\x83";  // "Łódź ☃"
    const Bytes bytes = StoredString(lodz);
    EXPECT_EQ(bytes,
              (Bytes{0xFF, 0xFE, 0xFF, 0x06, 0x41, 0x01, 0xF3, 0x00, 0x64, 0x00, 0x7A, 0x01, 0x20, 0x00, 0x03, 0x26}));
    EXPECT_EQ(LoadedString(bytes), lodz);

    // U+0080 is not Windows-1252 (0x80 is the euro sign); astral characters take surrogate pairs.
    EXPECT_EQ(StoredString("\xC2\x80"), (Bytes{0xFF, 0xFE, 0xFF, 0x01, 0x80, 0x00}));
    const std::string grin = "\xF0\x9F\x98\x80";
    EXPECT_EQ(StoredString(grin), (Bytes{0xFF, 0xFE, 0xFF, 0x02, 0x3D, 0xD8, 0x00, 0xDE}));
    EXPECT_EQ(LoadedString(StoredString(grin)), grin);

    std::string snowmen;
    for (int i = 0; i < 300; ++i) {
        snowmen += "\xE2\x98\x83";
    }
    const Bytes longForm = StoredString(snowmen);
    EXPECT_EQ(Bytes(longForm.begin(), longForm.begin() + 6), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}));
    EXPECT_EQ(LoadedString(longForm), snowmen);
}

TEST(ArchiveStrings, MalformedUtf8IsWrittenWithQuestionMarks) {
    EXPECT_EQ(StoredString("a\xFF\x62"), (Bytes{0x03, 'a', '?', 'b'}));
    EXPECT_EQ(StoredString("\xE2\x82"), (Bytes{0x01, '?'}));
    EXPECT_EQ(StoredString("\xC0\xAF\xED\xA0\x80\xC3\xA9"), (Bytes{0x03, '?', '?', 0xE9}));
}

TEST(ArchiveStrings, DamagedStringsAreRefused) {
    for (const Bytes& bad :
         {Bytes{0xFF, 0xFE, 0xFF, 0x01, 0x00, 0xD8}, Bytes{0xFF, 0xFE, 0xFF, 0x01, 0x00, 0xDC},
          Bytes{0xFF, 0xFE, 0xFF, 0x02, 0x3D, 0xD8, 0x41, 0x00}, Bytes{0x05, 'a', 'b'},
          Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 1}, Bytes{0xFF, 0xFE}}) {
        ClassRegistry reg;
        Archive ar = Archive::ForLoading(bad, reg);
        EXPECT_THROW(ar.ReadString(), ArchiveError);
    }
}

TEST(ArchiveCounts, SixteenBitsOrEscapeThenThirtyTwo) {
    EXPECT_EQ(Stored([](Archive& ar) { ar.WriteCount(0xFFFE); }), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(Stored([](Archive& ar) { ar.WriteCount(0xFFFF); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(Stored([](Archive& ar) { ar.WriteCount(70000); }), (Bytes{0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));

    ClassRegistry reg;
    Archive ok = Archive::ForLoading(Concat({0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}, Bytes(70000)), reg);
    EXPECT_EQ(ok.ReadCount(), 70000u);
    // A count that the rest of the file could not possibly hold is refused before anything is sized.
    Archive bad = Archive::ForLoading({0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00, 1, 2, 3}, reg);
    EXPECT_THROW(bad.ReadCount(), ArchiveError);
    Archive dwords = Archive::ForLoading({0x03, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9}, reg);
    std::vector<uint32_t> v;
    EXPECT_THROW(dwords.DWordArray(v), ArchiveError);
}

TEST(ArchiveArrays, DWordAndStringArraysRoundTrip) {
    std::vector<uint32_t> dwords{1, 0xDEADBEEF};
    std::vector<std::string> strings{"one", "", "\xE2\x82\xAC"};
    const Bytes bytes = Stored([&](Archive& ar) {
        ar.DWordArray(dwords);
        ar.StringArray(strings);
    });
    EXPECT_EQ(bytes, (Bytes{0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0xEF, 0xBE, 0xAD, 0xDE, 0x03, 0x00, 0x03, 'o', 'n', 'e',
                            0x00, 0x01, 0x80}));

    ClassRegistry reg;
    Archive ar = Archive::ForLoading(bytes, reg);
    std::vector<uint32_t> dwordsIn{7};
    std::vector<std::string> stringsIn{"stale"};
    ar.DWordArray(dwordsIn);
    ar.StringArray(stringsIn);
    EXPECT_EQ(dwordsIn, dwords);
    EXPECT_EQ(stringsIn, strings);
    EXPECT_TRUE(ar.AtEnd());
}

}  // namespace
}  // namespace svu
