#include <gtest/gtest.h>

#include <filesystem>

#include "framework/TempDir.h"
#include "outputs/SoundCatalogue.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

CatalogueEntry Entry(int minute, const std::string& path) {
    CatalogueEntry e;
    e.start = SystemTime::FromTime(FromLocal(2026, 7, 14, 9, minute, 30));
    e.start.milliseconds = 250;
    e.path = path;
    return e;
}

TEST(SoundCatalogue, RecordsAppendAndReadBackWithTheirLayout) {
    TempDir dir;
    const std::string catalogue = dir.File("sounds.bin");
    EXPECT_TRUE(ReadSoundCatalogue(catalogue).entries.empty());  // missing: empty, no complaint
    EXPECT_TRUE(ReadSoundCatalogue(catalogue).error.empty());

    const std::vector<CatalogueEntry> entries = {Entry(1, "/rec/a.wav"), Entry(2, "/rec/Stratavue(x) [1;2;3].wav")};
    for (const auto& e : entries) {
        ASSERT_TRUE(AppendCatalogueEntry(catalogue, e));
    }
    const CatalogueReadResult read = ReadSoundCatalogue(catalogue);
    EXPECT_TRUE(read.error.empty()) << read.error;
    EXPECT_EQ(read.entries, entries);

    // Little-endian SYSTEMTIME (2026-07-14 is a Tuesday), length, path without a zero.
    const std::string bytes = ReadFileBytes(catalogue);
    EXPECT_EQ(bytes.substr(0, 30), std::string("\xea\x07\x07\x00\x02\x00\x0e\x00\x09\x00\x01\x00\x1e\x00\xfa\x00"
                                               "\x0a\x00\x00\x00/rec/a.wav",
                                               30));
    EXPECT_EQ(bytes.size(), 30u + 20u + entries[1].path.size());

    ASSERT_TRUE(RewriteSoundCatalogue(catalogue, {entries[1]}));
    EXPECT_EQ(ReadSoundCatalogue(catalogue).entries, std::vector<CatalogueEntry>{entries[1]});
}

TEST(SoundCatalogue, ADamagedCatalogueIsRefusedFromTheDamageOnWithAMessage) {
    const std::string good = EncodeCatalogueEntry(Entry(1, "/rec/a.wav"));
    // Cut inside the second record's path, and inside its time.
    for (std::size_t keep : {good.size() + 25, good.size() + 7}) {
        const std::string bytes = (good + good).substr(0, keep);
        const CatalogueReadResult read = ParseSoundCatalogue(bytes);
        EXPECT_EQ(read.entries.size(), 1u);
        EXPECT_NE(read.error.find("record 2 is cut short"), std::string::npos) << read.error;
    }
    // A path length of 5000 is not believed: nothing after it is read, even a sound record.
    CatalogueEntry huge = Entry(2, std::string(5000, 'x'));
    const CatalogueReadResult read = ParseSoundCatalogue(good + EncodeCatalogueEntry(huge) + good);
    EXPECT_EQ(read.entries.size(), 1u);
    EXPECT_NE(read.error.find("5000"), std::string::npos) << read.error;
    // 259 bytes is the longest path accepted.
    EXPECT_TRUE(ParseSoundCatalogue(EncodeCatalogueEntry(Entry(3, std::string(259, 'p')))).error.empty());
    EXPECT_FALSE(ParseSoundCatalogue(EncodeCatalogueEntry(Entry(3, std::string(260, 'p')))).error.empty());
}

TEST(SoundCatalogue, DeleteAndRemoveNoWavRewriteTheCatalogue) {
    TempDir dir;
    const std::string catalogue = dir.File("sounds.bin");
    std::vector<CatalogueEntry> entries;
    for (int i = 0; i < 4; ++i) {
        entries.push_back(Entry(i, dir.File("r" + std::to_string(i) + ".wav")));
        WriteFileBytes(entries.back().path, "RIFF");
        ASSERT_TRUE(AppendCatalogueEntry(catalogue, entries.back()));
    }
    // Delete removes the file and its record.
    ASSERT_TRUE(DeleteRecording(catalogue, entries, 1));
    EXPECT_FALSE(std::filesystem::exists(dir.File("r1.wav")));
    EXPECT_EQ(ReadSoundCatalogue(catalogue).entries, entries);
    ASSERT_EQ(entries.size(), 3u);

    // Files deleted by hand: "Remove no wav" drops exactly their records.
    std::filesystem::remove(dir.File("r0.wav"));
    std::filesystem::remove(dir.File("r3.wav"));
    EXPECT_EQ(RemoveMissingRecordings(catalogue, entries), 2);
    const auto left = ReadSoundCatalogue(catalogue).entries;
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].path, dir.File("r2.wav"));

    // A catalogue that cannot be rewritten leaves the list as it was.
    std::filesystem::create_directory(dir.File("blocked"));
    std::vector<CatalogueEntry> kept = left;
    EXPECT_FALSE(DeleteRecording(dir.File("blocked"), kept, 0));
    EXPECT_EQ(kept.size(), 1u);
}

}  // namespace
}  // namespace svu
