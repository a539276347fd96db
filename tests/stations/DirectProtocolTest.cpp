#include <gtest/gtest.h>

#include "sim/DirectInstrument.h"
#include "sim/DirectLine.h"
#include "sim/DirectMemory.h"
#include "sim/DirectRecordEncoding.h"
#include "stations/DirectProtocol.h"

namespace svu::direct {
namespace {

// A real-time line of four channels written out by hand; its bytes sum to 0x..72.
const std::string kLine = "05/12/26 14:05:00    12.5      76  1013.2     0.0 72";

TEST(DirectRealtimeLine, ChecksumIsTheByteSumInLowerCaseHexAndComparedInAnyCase) {
    // 'd' + 'd' + 'B' = 266, so the checksum is 0a.
    EXPECT_EQ(LineChecksum("ddB"), "0a");
    EXPECT_TRUE(ChecksumMatches("ddB0a"));
    EXPECT_TRUE(ChecksumMatches("ddB0A"));
    EXPECT_FALSE(ChecksumMatches("ddB0b"));
    EXPECT_FALSE(ChecksumMatches("a"));
}

TEST(DirectRealtimeLine, ParsesResynchronisesAndRejects) {
    const std::vector<std::string> values = {"   12.5", "     76", " 1013.2", "    0.0"};
    const std::string line = kLine;
    ASSERT_EQ(line.size(), MinimumLineLength(4) + 2);
    EXPECT_EQ(MinimumLineLength(4), 50u);

    RealtimeReading reading;
    ASSERT_EQ(ParseRealtimeLine(line, 4, reading), LineStatus::Ok);
    EXPECT_EQ(reading.date, "05/12/26");
    EXPECT_EQ(reading.time, "14:05:00");
    EXPECT_EQ(reading.values, values) << "values are kept as sent, spaces included";

    ASSERT_EQ(ParseRealtimeLine("#*" + line, 4, reading), LineStatus::Ok) << "two stray characters";
    EXPECT_EQ(reading.date, "05/12/26");

    EXPECT_EQ(ParseRealtimeLine(line.substr(0, 49), 4, reading), LineStatus::TooShort);
    std::string corrupt = line;
    corrupt[20] = '7';
    EXPECT_EQ(ParseRealtimeLine(corrupt, 4, reading), LineStatus::Corrupt);
    // A "date" late in the text leaves too little after resynchronising: corrupt, never a
    // read past the end.
    const std::string late = std::string(45, 'x') + "01/02/03 4";
    EXPECT_EQ(ParseRealtimeLine(late, 4, reading), LineStatus::Corrupt);
}

TEST(DirectRealtimeLine, SimulatorWritesTheLineByItsOwnCode) {
    EXPECT_EQ(sim::DirectLine("05/12/26", "14:05:00", {"   12.5", "76", " 1013.2", "    0.0"}), kLine);
    EXPECT_EQ(sim::DirectLineChecksum("ddB"), "0a");
    EXPECT_EQ(sim::DirectLineField(12.34, 1), "   12.3");
    EXPECT_EQ(sim::DirectLineField(123456.7, 2), " 123457");
    EXPECT_EQ(sim::DirectLineField(-1e12, 1), "-999999");
}

TEST(DirectRealtimeLine, AssemblerWaitsForTheLineEndAndCutsAtCrLfAndEtx) {
    RealtimeLineAssembler assembler;
    std::string line;
    assembler.Append(
        "\x03"
        "01/02/03 12:00");
    EXPECT_FALSE(assembler.NextLine(line));
    assembler.Append(":00 rest\r\nnext");
    ASSERT_TRUE(assembler.NextLine(line));
    EXPECT_EQ(line, "01/02/03 12:00:00 rest");
    EXPECT_FALSE(assembler.NextLine(line));
    // An instrument that ends its lines with ETX alone.
    assembler.Append("\x03" "01/02/03 12:00:01\x03" "01/02");
    ASSERT_TRUE(assembler.NextLine(line));
    EXPECT_EQ(line, "next");
    ASSERT_TRUE(assembler.NextLine(line));
    EXPECT_EQ(line, "01/02/03 12:00:01");
    EXPECT_FALSE(assembler.NextLine(line));
}

TEST(DirectMenuReplies, ParseTheInstrumentsTexts) {
    EXPECT_TRUE(IsMenuPrompt(sim::DirectInstrument::MenuText()));
    EXPECT_FALSE(IsMenuPrompt("Enter Option: \x03"));
    EXPECT_FALSE(IsMenuPrompt("Enter Option:"));

    std::string buffer = std::string("\x18\rfirst\x03") + "second";
    std::string reply;
    ASSERT_TRUE(TakeReply(buffer, reply));
    EXPECT_EQ(reply, "\x18\rfirst\x03");
    EXPECT_FALSE(TakeReply(buffer, reply));
    EXPECT_EQ(buffer, "second");

    int count = 0;
    ASSERT_TRUE(ParseCountBefore("\r\nChannel set-up\r\n    8 Channels  New value ?\x03", "Channels", count));
    EXPECT_EQ(count, 8);
    ASSERT_TRUE(ParseCountBefore("\r\n   12 Counters  New value ?\x03", "Counters", count));
    EXPECT_EQ(count, 12);
    EXPECT_FALSE(ParseCountBefore("8 Channels", "Channels", count)) << "must start at position 6 or later";

    double value = 0;
    ASSERT_TRUE(ParseNumberAfterLineFeed("\r\nGust period (seconds)\r\n   10  New value ?\x03", value));
    EXPECT_EQ(value, 10);
    ASSERT_TRUE(ParseNumberAfterLineFeed("\r\nOffset, channel 1 (Temp)\r\n    -1.50000000  New", value));
    EXPECT_EQ(value, -1.5);
    EXPECT_FALSE(ParseNumberAfterLineFeed("\r\nno more", value));

    int type = 0;
    ASSERT_TRUE(ParseTypeCode("\r\nSensor type: 13\r\n\x03", type));
    EXPECT_EQ(type, 13);
    EXPECT_FALSE(ParseTypeCode("\r\nSensor\x03", type));
    EXPECT_EQ(ParseLeadingNumber("\r\n     2.50000000  Multiplier, new value ?\x03"), 2.5);
    EXPECT_EQ(ParseChannelName("\r\nWind speed\r\n\x03"), "Wind speed");
    EXPECT_EQ(NumberCommand(14), "14\r");
    EXPECT_EQ(CalibrationCommand(-0.25), "-0.25000000\r");
}

TEST(DirectRecords, FieldFormatsDecodeAndEncode) {
    uint8_t stamp[3];
    sim::EncodeRecordTime({2026, 12, 5, 23, 59}, stamp);
    RecordTime time;
    ASSERT_TRUE(DecodeRecordTime(stamp, 2026, time));
    EXPECT_EQ(time.year, 2026);
    EXPECT_EQ(time.day, 5);
    EXPECT_EQ(time.hour, 23);
    EXPECT_EQ(time.minute, 59);
    ASSERT_TRUE(DecodeRecordTime(stamp, 0, time));
    EXPECT_EQ(time.year, 2010) << "without a reference year the nibble reads as 1997..2012";
    const uint8_t hour24[3] = {0x1C, (5 << 3) | 6, 0x00};
    EXPECT_FALSE(DecodeRecordTime(hour24, 2026, time)) << "hour 24 is an empty record";

    EXPECT_DOUBLE_EQ(DecodeShortFloat(0x51, 0x25), 12.5);  // +0.125 x 10^2
    EXPECT_DOUBLE_EQ(DecodeShortFloat(0xE1, 0x01), -101);  // -0.101 x 10^3
    EXPECT_DOUBLE_EQ(DecodeShortFloat(0x00, 0x05), 0.000005);
    EXPECT_DOUBLE_EQ(DecodeFixedPoint((12 << 1) | 1, (34 << 1) | 1), -1.1234);
    EXPECT_DOUBLE_EQ(DecodeFixedPoint(5 << 1, 7 << 1), 0.0507);
    for (const double v : {12.5, -3.25, 1010.0, 0.002, 0.0, 9990.0}) {
        uint8_t bytes[2];
        sim::EncodeShortFloat(v, bytes);
        EXPECT_DOUBLE_EQ(DecodeShortFloat(bytes[0], bytes[1]), v);
    }
    for (const double v : {0.0, 1.9999, -0.5, 0.0001}) {
        uint8_t bytes[2];
        sim::EncodeFixedPoint(v, bytes);
        EXPECT_DOUBLE_EQ(DecodeFixedPoint(bytes[0], bytes[1]), v);
    }
    for (const double v : {0.0, -40.5, 1000.0, 0.00125, 123456.789}) {
        uint8_t entry[image::kCalibrationEntrySize];
        sim::EncodeCalibration(v, entry);
        EXPECT_DOUBLE_EQ(DecodeCalibration(entry), v);
    }
}

std::vector<uint8_t> Record(const RecordTime& time, std::initializer_list<std::pair<uint8_t, uint8_t>> fields) {
    std::vector<uint8_t> bytes(3);
    sim::EncodeRecordTime(time, bytes.data());
    for (const auto& [b0, b1] : fields) {
        bytes.push_back(b0);
        bytes.push_back(b1);
    }
    return bytes;
}

TEST(DirectRecords, RainfallTotalRestartsAtMidnightAndNegativesClipForTypeEight) {
    // Channel 0: short float temperature; 1: fixed-point rain (type 13, x 10); 2: type 8.
    RecordDecoder decoder({{1, 0, 1}, {13, 0, 10}, {8, 0, 1}}, 1, 2026);
    std::string line;
    const auto rain = [](int tenths) {  // fixed point 0.0t00, times 10
        return std::pair<uint8_t, uint8_t>{static_cast<uint8_t>(tenths << 1), 0};
    };
    const std::pair<uint8_t, uint8_t> minus = {0, 3};  // -0.0001
    ASSERT_TRUE(decoder.Decode(Record({2026, 3, 1, 23, 56}, {{0x51, 0x25}, rain(2), minus}).data(), line));
    EXPECT_EQ(line, "01/03/26,23:56:00,12.5,0.2,0.0");
    ASSERT_TRUE(decoder.Decode(Record({2026, 3, 1, 23, 58}, {{0x51, 0x25}, rain(4), minus}).data(), line));
    EXPECT_EQ(line, "01/03/26,23:58:00,12.5,0.6,0.0");
    ASSERT_TRUE(decoder.Decode(Record({2026, 3, 2, 0, 0}, {{0x51, 0x25}, rain(1), minus}).data(), line));
    EXPECT_EQ(line, "02/03/26,00:00:00,12.5,0.1,0.0") << "first record of the new day restarts the total";
    // A month later on the same day of the month is still another day.
    ASSERT_TRUE(decoder.Decode(Record({2026, 4, 2, 0, 2}, {{0x51, 0x25}, rain(3), minus}).data(), line));
    EXPECT_EQ(line, "02/04/26,00:02:00,12.5,0.3,0.0");
}

TEST(DirectMemoryImage, WalksFromOldestToNewestAcrossTheWrapSkippingErasedRecords) {
    sim::DirectMemory memory(2048);
    memory.Configure({{"Temp", 1, 0, 1}, {"Rain", 13, 0, 1}}, 1);
    const std::size_t capacity = memory.Capacity();
    memory.StartAt(capacity - 3);
    for (int i = 0; i < 6; ++i) {
        const RecordTime time = i < 5 ? RecordTime{2026, 6, 30, 23, 50 + 2 * i} : RecordTime{2026, 7, 1, 0, 0};
        memory.Append(time, {20.0 + i, 0.5});
        if (i == 2) {
            memory.EraseNewest();
        }
    }
    std::string text;
    std::string error;
    ASSERT_TRUE(ConvertMemoryImage(memory.Bytes(), 2026, text, &error)) << error;
    EXPECT_EQ(text,
              "2\r\nTemp\r\nRain\r\n"
              "30/06/26,23:50:00,20.0,0.5\r\n"
              "30/06/26,23:52:00,21.0,1.0\r\n"
              "30/06/26,23:56:00,23.0,1.5\r\n"
              "30/06/26,23:58:00,24.0,2.0\r\n"
              "01/07/26,00:00:00,25.0,0.5\r\n");

    // Overfilling overwrites the oldest records.
    for (std::size_t i = 0; i < capacity + 5; ++i) {
        memory.Append({2026, 7, 1, 1, 0}, {1.0, 0.0});
    }
    MemoryImageInfo info;
    ASSERT_TRUE(ReadMemoryImageInfo(memory.Bytes(), info, &error));
    EXPECT_EQ(RecordOffsets(info).size(), capacity);
}

TEST(DirectMemoryImage, DamagedImagesAreRefusedNotTrusted) {
    sim::DirectMemory memory(2048);
    memory.Configure({{"A", 0, 0, 1}}, 1);
    memory.Append({2026, 1, 1, 0, 0}, {1.0});
    std::vector<uint8_t> bytes = memory.Bytes();
    std::string text;
    std::string error;

    auto badPointer = bytes;
    badPointer[image::kOldestPointer] = 0xFF;
    EXPECT_FALSE(ConvertMemoryImage(badPointer, 2026, text, &error));
    auto tooMany = bytes;
    tooMany[image::kChannelCount] = 17;
    EXPECT_FALSE(ConvertMemoryImage(tooMany, 2026, text, &error));
    EXPECT_FALSE(ConvertMemoryImage(std::vector<uint8_t>(100, 0), 2026, text, &error));
    auto controlInName = bytes;
    controlInName[image::kChannelNames] = '\n';
    ASSERT_TRUE(ConvertMemoryImage(controlInName, 2026, text, &error));
    EXPECT_EQ(text.substr(0, 6), "1\r\n\r\n0") << "a name cannot break the header into two lines";
}

}  // namespace
}  // namespace svu::direct
