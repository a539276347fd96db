#include <gtest/gtest.h>

#include "framework/LocalTime.h"
#include "loggers/InstrumentLines.h"

namespace svu {
namespace {

TEST(SpeedDirectionLine, TakesTheCharactersAsReceived) {
    WindReading r;
    ASSERT_EQ(ParseSpeedDirectionLine("WSD 270 12.5 A", r), LineVerdict::Ok);
    EXPECT_EQ(r.direction, "270");
    EXPECT_EQ(r.speed, "12.5");
    // Without the two further characters it is no longer 14 long, but has the prefix.
    ASSERT_EQ(ParseSpeedDirectionLine("WSD 270 12.5", r), LineVerdict::Ok);
    EXPECT_EQ(r.speed, "12.5");
    // Any 14 characters are taken without looking at the prefix.
    ASSERT_EQ(ParseSpeedDirectionLine("XYZ 005 03.0 B", r), LineVerdict::Ok);
    EXPECT_EQ(r.direction, "005");
    EXPECT_EQ(ParseSpeedDirectionLine("hello there", r), LineVerdict::Ignored);
    EXPECT_EQ(ParseSpeedDirectionLine("WSD ", r), LineVerdict::Corrupt);
}

TEST(SpeedDirectionLine, RangesOfDirectionAndSpeed) {
    WindReading r;
    EXPECT_EQ(ParseSpeedDirectionLine("WSD 360 12.5 A", r), LineVerdict::Corrupt);
    // Only four speed characters are read: "159.5" is read as 159 and passes, "160." does not.
    EXPECT_EQ(ParseSpeedDirectionLine("WSD 359 160.0A", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseSpeedDirectionLine("WSD 359 159.5A", r), LineVerdict::Ok);
    EXPECT_EQ(ParseSpeedDirectionLine("WSD 000 159.0", r), LineVerdict::Ok);
    EXPECT_EQ(ParseSpeedDirectionLine("WSD -10 001.0", r), LineVerdict::Corrupt);
}

TEST(ParticleLine, CountsPerMinuteFromThePeriod) {
    ParticleReading r;
    ASSERT_EQ(ParseParticleLine("05/12/26,14:00:00,10,20,30,40,30", r), LineVerdict::Ok);
    EXPECT_EQ(r.date, "05/12/26");
    EXPECT_EQ(r.time, "14:00:00");
    EXPECT_EQ(r.rates, (std::array<std::string, 4>{"20", "40", "60", "80"}));
    ASSERT_EQ(ParseParticleLine("05/12/26 14:00:00,x,1234,7,0,3,60", r), LineVerdict::Ok);
    EXPECT_EQ(r.rates[0], "1234");
}

TEST(ParticleLine, WrongSeparatorsMissingFieldsAndNoPeriodAreCorrupt) {
    ParticleReading r;
    EXPECT_EQ(ParseParticleLine("05-12-26,14:00:00,10,20,30,40,30", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseParticleLine("05/12/26,14.00.00,10,20,30,40,30", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseParticleLine("05/12/26,14:00:00,10,20,30,40", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseParticleLine("05/12/26,14:00:00,10,20,30,40,0", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseParticleLine("05/12", r), LineVerdict::Corrupt);
}

TEST(TriscanLine, FieldLengthsAndRanges) {
    TriscanReading r;
    ASSERT_EQ(ParseTriscanLine("12.5,090", r), LineVerdict::Ok);
    EXPECT_EQ(r.speed, "12.5");
    EXPECT_EQ(r.direction, "090");
    EXPECT_EQ(ParseTriscanLine("12.5,90", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseTriscanLine("2.5,090", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseTriscanLine("12.5,360", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseTriscanLine("-2.5,100", r), LineVerdict::Corrupt);
    EXPECT_EQ(ParseTriscanLine("12.5", r), LineVerdict::Corrupt);
}

TEST(TriscanDownload, RecordTimesCrossTheYear) {
    TimeT start = 0;
    ASSERT_TRUE(ParseTriscanStartLine("START,23,59,30,31,12,07", start));
    EXPECT_EQ(TriscanLogRecord(start, "60,5.1,9.8,2.0,250,270,230"), "01/01/08, 00:00:30, 5.1,9.8,2.0,250,270,230\r\n");
    EXPECT_EQ(TriscanLogRecord(start, "0"), "31/12/07, 23:59:30, \r\n");
    EXPECT_FALSE(ParseTriscanStartLine("START,24,00,00,01,01,08", start));
    EXPECT_FALSE(ParseTriscanStartLine("START,12,00", start));
    EXPECT_FALSE(ParseTriscanStartLine("EOF", start));
    EXPECT_TRUE(IsTriscanEnd("EOF"));
    EXPECT_TRUE(IsTriscanEnd("EOF 24 records"));
    EXPECT_FALSE(IsTriscanEnd("EO"));
    EXPECT_EQ(TriscanLogHeader(),
              "6\r\nAve. speed\r\nMax. speed\r\nMin. speed\r\nAve. direction\r\nMax. direction\r\nMin. direction\r\n");
}

TEST(InstrumentLineAssembler, SplitsOnEveryEndAndDropsOverlongLines) {
    InstrumentLineAssembler a(16);
    std::string line;
    a.Append("WSD 1");
    EXPECT_FALSE(a.NextLine(line));
    a.Append("\r\n\r\nab\x03" "cd\n");
    ASSERT_TRUE(a.NextLine(line));
    EXPECT_EQ(line, "WSD 1");
    ASSERT_TRUE(a.NextLine(line));
    EXPECT_EQ(line, "ab");
    ASSERT_TRUE(a.NextLine(line));
    EXPECT_EQ(line, "cd");
    EXPECT_FALSE(a.NextLine(line));
    a.Append(std::string(40, 'x'));
    a.Append("yyy\r\nok\r\n");
    ASSERT_TRUE(a.NextLine(line));
    EXPECT_EQ(line, "ok");
    EXPECT_EQ(a.TakeOverlong(), 1);
    EXPECT_EQ(a.TakeOverlong(), 0);
}

}  // namespace
}  // namespace svu
