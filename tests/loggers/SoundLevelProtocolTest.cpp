#include <gtest/gtest.h>

#include "framework/LocalTime.h"
#include "loggers/SoundLevelProtocol.h"

namespace svu {
namespace {

std::vector<std::string> FeedAll(OnlineLineReader& reader, const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : bytes) {
        if (reader.Feed(static_cast<uint8_t>(c), line)) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(LevelAnswer, FlagsAndLevelsInCountsOfOne320thDecibel) {
    const uint8_t answer[] = {0xF8, 0x38, 0x00, 0x7D, 0x00, 0x7D, 0x00, 0x7D};
    SoundLevels levels;
    ASSERT_TRUE(DecodeLevelAnswer(answer, sizeof answer, levels));
    EXPECT_TRUE(levels.overload && levels.batteryLow && levels.underRange);
    EXPECT_EQ(LevelTexts(levels), (std::array<std::string, 6>{"1", "1", "1", "100", "100", "100"}));

    const uint8_t quiet[] = {0xF8, 0x10, 0x01, 0x00, 0xFF, 0xFF, 0x80, 0x4A};
    ASSERT_TRUE(DecodeLevelAnswer(quiet, sizeof quiet, levels));
    EXPECT_EQ(LevelTexts(levels), (std::array<std::string, 6>{"0", "1", "0", "0.003125", "204.797", "59.6"}));
}

TEST(LevelAnswer, WrongMarkOrLengthIsRefused) {
    const uint8_t answer[] = {0xF7, 0x00, 0x00, 0x7D, 0x00, 0x7D, 0x00, 0x7D, 0x00};
    SoundLevels levels;
    EXPECT_FALSE(DecodeLevelAnswer(answer, 8, levels));
    const uint8_t nine[] = {0xF8, 0x00, 0x00, 0x7D, 0x00, 0x7D, 0x00, 0x7D, 0x00};
    EXPECT_FALSE(DecodeLevelAnswer(nine, 9, levels));
    EXPECT_FALSE(DecodeLevelAnswer(nine, 7, levels));
    EXPECT_EQ(LevelPollCommand(true), 0xC4);
    EXPECT_EQ(LevelPollCommand(false), 0xC3);
}

TEST(OnlineLineReader, TheFirstLineWithoutALineFeedIsNeverReturned) {
    OnlineLineReader reader;
    EXPECT_EQ(FeedAll(reader, "half a line\r\nLAF,48.3\r\nLAF,49.0\r\n"),
              (std::vector<std::string>{"LAF,48.3", "LAF,49.0"}));
    reader.Reset();
    EXPECT_EQ(FeedAll(reader, "LAF,50.0\r\n"), std::vector<std::string>{});
}

TEST(OnlineLineReader, ALineReaching1021BytesIsDiscarded) {
    OnlineLineReader reader;
    const std::string longest(1020, 'x');
    const std::string tooLong(1021, 'y');
    EXPECT_EQ(FeedAll(reader, "\n" + longest + "\r\n" + tooLong + "\r\nLAF,1.0\r\n"),
              (std::vector<std::string>{longest, "LAF,1.0"}));
    EXPECT_EQ(reader.TakeOverlong(), 1);
}

TEST(OnlineLine, PeriodLineFillsChannelsFromOne) {
    std::vector<std::string> values(10, "old");
    const OnlineLine line = ParseOnlineLine("05/12/26,14:00:00,LAeq,55.2,LAFmax,71.0", values);
    EXPECT_TRUE(line.period);
    EXPECT_EQ(line.count, 2);
    EXPECT_EQ(line.time, FromLocal(2026, 12, 5, 14, 0, 0));
    EXPECT_EQ(values[0], "55.2");
    EXPECT_EQ(values[1], "71.0");
    EXPECT_EQ(values[2], "old");
    EXPECT_EQ(values[9], "old");
}

TEST(OnlineLine, ProfileLineFillsChannelTen) {
    std::vector<std::string> values(10, "old");
    const OnlineLine line = ParseOnlineLine("LAF,48.3", values);
    EXPECT_FALSE(line.period);
    EXPECT_EQ(line.count, 1);
    EXPECT_EQ(values[9], "48.3");
    EXPECT_EQ(values[0], "old");
    // A damaged stamp makes it a profile line too.
    EXPECT_EQ(ParseOnlineLine("05-12/26,14:00:00,LAeq,55.2", values).period, false);
    EXPECT_EQ(values[9], "14:00:00");
}

TEST(OnlineLine, TheTenthPairReachesChannelTenAndTheEleventhEndsTheParse) {
    std::string text = "05/12/26,14:00:00";
    for (int i = 1; i <= 11; ++i) {
        text += ",F" + std::to_string(i) + "," + std::to_string(i) + ".5";
    }
    std::vector<std::string> values(10);
    const OnlineLine line = ParseOnlineLine(text, values);
    EXPECT_EQ(line.count, 10);
    EXPECT_EQ(values[0], "1.5");
    EXPECT_EQ(values[9], "10.5");
}

TEST(FunctionFile, HeaderAndRecordInTheLogLayout) {
    const std::vector<std::string> names = {"LAeq", "LAFmax", "", "", "", "", "", "", "", "LAF"};
    EXPECT_EQ(FunctionFileHeader(names, 0, 2), "2\r\nLAeq\r\nLAFmax\r\n");
    EXPECT_EQ(FunctionFileHeader(names, 9, 1), "1\r\nLAF\r\n");
    const std::vector<std::string> values = {"55.2", "71.0", "", "", "", "", "", "", "", "48.3"};
    EXPECT_EQ(FunctionFileRecord(FromLocal(2026, 12, 5, 14, 0, 0), values, 0, 2), "05/12/26, 14:00:00, 55.2, 71.0\r\n");
    EXPECT_EQ(FunctionFileName("/logs", "Meter", FromLocal(2026, 12, 5, 14, 0, 0), ".per"), "/logs/Meter-20261205.per");
}

}  // namespace
}  // namespace svu
