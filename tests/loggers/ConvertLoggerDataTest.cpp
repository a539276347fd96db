#include <gtest/gtest.h>

#include <bit>

#include "framework/RecordingUserInterface.h"
#include "framework/TempDir.h"
#include "loggers/ConvertLoggerData.h"

namespace svu {
namespace {

// One binary record as the logger writes it.
std::string Record(uint8_t kind, uint32_t time, const std::vector<float>& values, bool withTrailer = true) {
    std::string bytes;
    bytes += static_cast<char>(values.size());
    bytes += static_cast<char>(kind);
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes += static_cast<char>((time >> shift) & 0xff);
    }
    for (float v : values) {
        const auto bits = std::bit_cast<uint32_t>(v);
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes += static_cast<char>((bits >> shift) & 0xff);
        }
    }
    if (withTrailer) {
        bytes += '\xAA';
    }
    return bytes;
}

TEST(ConvertLoggerData, CardRecordsBecomeLogLines) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("header.txt"), "NDR\r\nv1\r\n\r\nx\r\nSpeed,Dir, Temp\r\nmore\r\n");
    test::WriteFileBytes(dir.File("logger.dat"),
                         Record(1, 0, {12.5f, 0.000012f, -3.0f}) + Record(2, 86400, {1.0f}) + Record(1, 951782400, {}) +
                             Record(1, 1767225599, {7.0f, 8.0f}, false).substr(0, 12));
    const LoggerConversionResult r = ConvertLoggerData(dir.File("header.txt"), dir.File("logger.dat"), dir.File("out.log"));
    EXPECT_EQ(r.error, LoggerConversionError::None);
    EXPECT_EQ(r.records, 3);
    EXPECT_EQ(test::ReadFileBytes(dir.File("out.log")),
              "3\r\nSpeed\r\nDir\r\n Temp\r\n"
              "01/01/70, 00:00:00, 12.5, 1.2e-05, -3\r\n"  // time 0, and %g values
              "29/02/00, 00:00:00\r\n"                      // n = 0: date and time only
              "31/12/25, 23:59:59, 7\r\n");                 // cut short: the values that were read
}

TEST(ConvertLoggerData, FailuresAreReportedAndLeaveTheLogAlone) {
    test::TempDir dir;
    test::RecordingUserInterface ui;
    test::WriteFileBytes(dir.File("out.log"), "before");
    EXPECT_EQ(ConvertLoggerData(dir.File("none.txt"), dir.File("logger.dat"), dir.File("out.log"), &ui).error,
              LoggerConversionError::HeaderOpen);
    test::WriteFileBytes(dir.File("short.txt"), "1\n2\n3\n4");
    EXPECT_EQ(ConvertLoggerData(dir.File("short.txt"), dir.File("logger.dat"), dir.File("out.log"), &ui).error,
              LoggerConversionError::HeaderInvalid);
    test::WriteFileBytes(dir.File("header.txt"), "1\n2\n3\n4\nA,B\n");
    EXPECT_EQ(ConvertLoggerData(dir.File("header.txt"), dir.File("none.dat"), dir.File("out.log"), &ui).error,
              LoggerConversionError::DataOpen);
    test::WriteFileBytes(dir.File("logger.dat"), Record(1, 60, {1, 2}));
    EXPECT_EQ(ConvertLoggerData(dir.File("header.txt"), dir.File("logger.dat"), dir.File("no/dir/out.log"), &ui).error,
              LoggerConversionError::LogOpen);
    EXPECT_EQ(test::ReadFileBytes(dir.File("out.log")), "before");
    ASSERT_EQ(ui.Messages().size(), 4u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to open header file");
    EXPECT_EQ(ui.Messages()[1].text, "Invalid header file");
    EXPECT_EQ(ui.Messages()[2].text, "Unable to open data file");
    EXPECT_EQ(ui.Messages()[3].text, "Unable to open log file");
}

}  // namespace
}  // namespace svu
