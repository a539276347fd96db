#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "framework/LocalTime.h"

namespace svu {
namespace {

// Pins the zone the expected values were worked out in, whatever the caller's environment.
class LocalTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        setenv("TZ", "Europe/London", 1);
        tzset();
    }
    void TearDown() override {
        if (savedTz_) {
            setenv("TZ", savedTz_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::optional<std::string> savedTz_;
};

TEST_F(LocalTimeTest, ParsesLogDateAndTimeAsLocalTime) {
    const TimeT t = ParseDateTime("05/12/26", "14:05:00");
    EXPECT_EQ(t, 1796479500);                                      // winter: local time is UTC
    EXPECT_EQ(ParseDateTime("01/07/24", "12:00:00"), 1719831600);  // summer: one hour ahead of UTC
    EXPECT_EQ(ParseDateTime("01/01/24", "12:00:00"), 1704110400);

    const LocalTm local = ToLocal(t);
    EXPECT_EQ(local.year, 2026);
    EXPECT_EQ(local.month, 12);
    EXPECT_EQ(local.day, 5);
    EXPECT_EQ(local.hour, 14);
    EXPECT_EQ(local.dayOfWeek, 6);  // a Saturday
    EXPECT_EQ(FromLocal(2026, 12, 5, 14, 5, 0), t);
}

TEST_F(LocalTimeTest, TwoAndFourDigitYears) {
    EXPECT_EQ(ToLocal(ParseDateTime("01/01/69", "00:00:00")).year, 2069);
    EXPECT_EQ(ToLocal(ParseDateTime("01/01/70", "00:00:00")).year, 1970);
    EXPECT_EQ(ToLocal(ParseDateTime("01/01/00", "00:00:00")).year, 2000);
    EXPECT_EQ(ToLocal(ParseDateTime("01/01/999", "00:00:00")).year, 2899);
    EXPECT_EQ(ToLocal(ParseDateTime("01/01/2024", "00:00:00")).year, 2024);
    EXPECT_EQ(ParseDateTime("01/01/69", "00:00:00"), 3124224000);
}

TEST_F(LocalTimeTest, ShortOrGarbledTextReadsMissingFieldsAsZero) {
    const LocalTm partial = ToLocal(ParseDateTime("05/1", "1"));
    EXPECT_EQ(partial.year, 2000);
    EXPECT_EQ(partial.month, 1);
    EXPECT_EQ(partial.day, 5);
    EXPECT_EQ(partial.hour, 1);
    EXPECT_EQ(partial.minute, 0);

    // Day 0 of month 0 of 2000 is carried back to 30 November 1999.
    const LocalTm empty = ToLocal(ParseDateTime("", ""));
    EXPECT_EQ(empty.year, 1999);
    EXPECT_EQ(empty.month, 11);
    EXPECT_EQ(empty.day, 30);

    ParseDateTime("99/99/-2147483648", "99:99:99");  // must merely not misbehave
    ParseDateTime("xx/yy/99999999999", std::string_view("12:3", 4));
}

TEST_F(LocalTimeTest, DaylightSavingEdges) {
    // The clocks go forward at 01:00 UTC on 31 March 2024: 00:30 to 03:30 local is two real hours.
    const TimeT before = ParseDateTime("31/03/24", "00:30:00");
    const TimeT after = ParseDateTime("31/03/24", "03:30:00");
    EXPECT_EQ(after - before, 7200);
    EXPECT_EQ(StartOfLocalDay(after), 1711843200);
    EXPECT_EQ(ToLocal(after).hour, 3);
    // The day the clocks go back is 25 hours long.
    EXPECT_EQ(
        StartOfLocalDay(ParseDateTime("28/10/24", "12:00:00")) - StartOfLocalDay(ParseDateTime("27/10/24", "12:00:00")),
        25 * 3600);
    // 01:30 comes twice that day: the first pass (still summer time) is meant, whatever was asked
    // before; an hour later only standard time is left.
    for (const TimeT primer : {FromLocal(2024, 12, 1, 12, 0, 0), FromLocal(2024, 7, 1, 12, 0, 0)}) {
        SCOPED_TRACE(primer);
        EXPECT_EQ(FromLocal(2024, 10, 27, 1, 30, 0), 1729989000);
        EXPECT_EQ(FromLocal(2024, 10, 27, 2, 30, 0), 1729996200);
    }
}

TEST_F(LocalTimeTest, FileAndLogStamps) {
    const TimeT t = ParseDateTime("05/12/26", "14:05:09");
    EXPECT_EQ(FormatLogDate(t), "05/12/26");
    EXPECT_EQ(FormatLogTime(t), "14:05:09");
    EXPECT_EQ(FormatLogStamp(t), "05/12/26, 14:05:09");
    EXPECT_EQ(FormatErrorStamp(t), "05/12/2026,  14:05:09, ");
    EXPECT_EQ(FormatFileDate(t), "20261205");
    EXPECT_EQ(FormatUserTime(t), "14:05:09");  // the tests run under the C locale's LC_TIME
    EXPECT_FALSE(FormatUserDate(t).empty());
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2026, 11), 30);
}

}  // namespace
}  // namespace svu
