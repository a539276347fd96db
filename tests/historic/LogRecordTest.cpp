#include <gtest/gtest.h>

#include "framework/TempDir.h"
#include "historic/LogRecord.h"

namespace svu {
namespace {

TEST(LogRecord, ChannelsAreFoundAfterTheDateAndTime) {
    const std::string_view record = "05/12/26, 14:05:00, 12.5, 0.2";
    EXPECT_EQ(LogRecordField(record, 0), " 12.5");
    EXPECT_EQ(LogRecordField(record, 1), " 0.2");
    EXPECT_EQ(LogRecordField(record, 2), "");
    EXPECT_EQ(LogRecordField(record, -1), "");
    EXPECT_DOUBLE_EQ(LogRecordValue(record, 0), 12.5);
    EXPECT_DOUBLE_EQ(LogRecordValue(record, 5), 0.0);
    EXPECT_DOUBLE_EQ(LogRecordValue("05/12/26, 14:05:00, , x, 1e2", 2), 100.0);

    std::vector<std::string_view> fields;
    SplitLogRecord(record, fields);
    EXPECT_EQ(fields, (std::vector<std::string_view>{"05/12/26", " 14:05:00", " 12.5", " 0.2"}));
    SplitLogRecord("", fields);
    EXPECT_EQ(fields.size(), 1u);

    EXPECT_EQ(ParseLogChannelCount("20"), 20);
    EXPECT_EQ(ParseLogChannelCount("-3"), 0);
    EXPECT_EQ(ParseLogChannelCount("99999999"), 0);
}

TEST(LogLineReader, ReadsEveryLineEndAndLongLines) {
    test::TempDir dir;
    const std::string longLine(200'000, 'x');
    test::WriteFileBytes(dir.File("a.log"), "one\r\ntwo\n\n" + longLine + "\r\nlast");
    LogLineReader reader;
    ASSERT_TRUE(reader.Open(dir.File("a.log")));
    std::vector<std::string> lines;
    std::vector<bool> ended;
    std::string_view line;
    while (reader.Next(line)) {
        lines.emplace_back(line);
        ended.push_back(reader.LastLineTerminated());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", longLine, "last"}));
    EXPECT_EQ(ended, (std::vector<bool>{true, true, true, true, false}));
    ASSERT_TRUE(reader.Rewind());
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "one");
    EXPECT_FALSE(LogLineReader().Open(dir.File("missing.log")));
}

TEST(ReadLastCompleteLine, PassesOverARecordBeingWritten) {
    test::TempDir dir;
    std::string text = "2\r\nTemp\r\nRain\r\n";
    for (int i = 0; i < 500; ++i) {
        text += "05/12/26, 14:05:00, 12.5, " + std::to_string(i) + "\r\n";
    }
    std::string last;
    test::WriteFileBytes(dir.File("d.log"), text + "05/12/26, 14:06:00, 12.5, 9");
    ASSERT_TRUE(ReadLastCompleteLine(dir.File("d.log"), last));
    EXPECT_EQ(last, "05/12/26, 14:05:00, 12.5, 499");
    test::WriteFileBytes(dir.File("d.log"), text);
    ASSERT_TRUE(ReadLastCompleteLine(dir.File("d.log"), last));
    EXPECT_EQ(last, "05/12/26, 14:05:00, 12.5, 499");

    test::WriteFileBytes(dir.File("one.log"), "no line end");
    ASSERT_TRUE(ReadLastCompleteLine(dir.File("one.log"), last));
    EXPECT_EQ(last, "no line end");
    test::WriteFileBytes(dir.File("empty.log"), "");
    ASSERT_TRUE(ReadLastCompleteLine(dir.File("empty.log"), last));
    EXPECT_EQ(last, "");
    EXPECT_FALSE(ReadLastCompleteLine(dir.File("missing.log"), last));
    EXPECT_FALSE(ReadLastCompleteLine(dir.Path().string(), last));
}

}  // namespace
}  // namespace svu
