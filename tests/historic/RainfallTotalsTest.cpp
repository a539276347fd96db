#include <gtest/gtest.h>

#include <cstdio>

#include "historic/LogFilesFixture.h"
#include "historic/RainfallTotals.h"

namespace svu {
namespace {

class Rainfall : public ::testing::Test {
protected:
    // A day whose rain channel (channel 1) ends at `total`; earlier records hold smaller values.
    void Day(CalendarDay day, const std::string& total) {
        logs.WriteDay(day, {"Temp", "Rain"}, {"01/01/26, 00:00:00, 5, 0.0", "01/01/26, 23:59:00, 5, " + total});
    }

    test::LogFolder logs;
};

// The week crosses the start of summer time (29 March 2026): each of the seven days is its own.
TEST_F(Rainfall, WeekWithAndWithoutMissingDays) {
    CalendarDay day{2026, 3, 26};
    for (int i = 0; i < 7; ++i, day = NextDay(day)) {
        Day(day, "1.0");
    }
    RainfallReport r =
        WeeklyRainfall(logs.Folder(), "Hill", 1, RainUnit::Millimetres, RainUnit::Millimetres, {2026, 3, 26});
    EXPECT_EQ(r.caption, "Weekly Rainfall Total");
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.text, "Starting " + FormatUserDate(NoonOf({2026, 3, 26})) + ": 7.00 mm");

    std::remove(logs.Path({2026, 3, 29}).c_str());
    r = WeeklyRainfall(logs.Folder(), "Hill", 1, RainUnit::Millimetres, RainUnit::Millimetres, {2026, 3, 26});
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.text, "Starting " + FormatUserDate(NoonOf({2026, 3, 26})) +
                          ": 6.00 mm\n\nNOTE: data is not available for all days!");
}

TEST_F(Rainfall, UnitsAreConvertedByWayOfMillimetres) {
    Day({2026, 6, 1}, "1.00");
    const RainfallSum sum = SumDailyRainfall(logs.Folder(), "Hill", 1, {2026, 6, 1}, 1);
    EXPECT_DOUBLE_EQ(ConvertRainfall(sum.total, RainUnit::Inches, RainUnit::Millimetres), 25.4);
    EXPECT_DOUBLE_EQ(ConvertRainfall(2.0, RainUnit::Centimetres, RainUnit::Inches), 20.0 * 0.03937008);
    EXPECT_DOUBLE_EQ(ConvertRainfall(2.0, RainUnit::Millimetres, RainUnit::Centimetres), 0.2);
    const RainfallReport r =
        WeeklyRainfall(logs.Folder(), "Hill", 1, RainUnit::Inches, RainUnit::Millimetres, {2026, 6, 1});
    EXPECT_NE(r.text.find(": 25.40 mm\n\nNOTE"), std::string::npos);
    EXPECT_EQ(ParseRainUnit("inches"), RainUnit::Inches);
    EXPECT_FALSE(ParseRainUnit("in"));
}

TEST_F(Rainfall, MonthAddsEveryDayOfALeapFebruary) {
    for (CalendarDay day{2028, 2, 1}; day.month == 2; day = NextDay(day)) {
        Day(day, "0.5");
    }
    const RainfallReport r =
        MonthlyRainfall(logs.Folder(), "Hill", 1, RainUnit::Millimetres, RainUnit::Millimetres, 2028, 2);
    EXPECT_EQ(r.caption, "Monthly Rainfall Total");
    EXPECT_TRUE(r.complete);
    EXPECT_DOUBLE_EQ(r.total, 14.5);
    EXPECT_EQ(SumDailyRainfall(logs.Folder(), "Hill", 1, {2028, 2, 1}, 29).daysFound, 29);
}

TEST_F(Rainfall, DayFilesWithoutRecordsOrWithAnUnfinishedRecord) {
    logs.WriteDay({2026, 1, 1}, {"Temp", "Rain"}, {});
    logs.WriteDay({2026, 1, 2}, {"Temp", "Rain"}, {"02/01/26, 10:00:00, 5, 2.5"}, "02/01/26, 10:01:00, 5, 9");
    const RainfallSum sum = SumDailyRainfall(logs.Folder(), "Hill", 1, {2026, 1, 1}, 2);
    EXPECT_TRUE(sum.complete);
    EXPECT_DOUBLE_EQ(sum.total, 2.5);
}

}  // namespace
}  // namespace svu
