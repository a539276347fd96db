#pragma once

// Weekly and monthly rainfall totals drawn from a station's daily log files. A rainfall channel
// accumulates over the day, so a day's total is the channel's value in the last record of that
// day's file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "historic/DayFiles.h"

namespace svu {

/// Units of logged and shown rainfall; the values are the positions in the dialogs' lists.
enum class RainUnit { Millimetres = 0, Centimetres = 1, Inches = 2 };

/// "mm", "cm" or "inches".
const char* RainUnitText(RainUnit unit);

/// The unit named by its text ("mm", "cm", "inches"); nullopt for anything else.
std::optional<RainUnit> ParseRainUnit(std::string_view text);

/// A total logged in `logged` units, in `shown` units (by way of millimetres).
double ConvertRainfall(double total, RainUnit logged, RainUnit shown);

/// The sum of the day totals of consecutive days.
struct RainfallSum {
    double total = 0.0;    // in the logged unit
    bool complete = true;  // false when any day's file is missing or could not be read
    int daysFound = 0;
    /// Days whose file is there but could not be read, or whose last line is not a record: they
    /// add nothing to the total and the report names them.
    std::vector<CalendarDay> unreadable;
};

/// Adds the day totals of channel `channel` (0-based) over `days` days from `first`. The files
/// are read while the station may still be writing them.
RainfallSum SumDailyRainfall(const std::string& logFolder, const std::string& stationName, int channel,
                             CalendarDay first, int days);

/// What the result box shows.
struct RainfallReport {
    std::string caption;
    std::string text;
    double total = 0.0;  // in the shown unit
    bool complete = true;
    std::vector<CalendarDay> unreadable;  // see RainfallSum
};

/// The total of the 7 days from `start`.
RainfallReport WeeklyRainfall(const std::string& logFolder, const std::string& stationName, int channel,
                              RainUnit logged, RainUnit shown, CalendarDay start);

/// The total of every day of a month (1-12).
RainfallReport MonthlyRainfall(const std::string& logFolder, const std::string& stationName, int channel,
                               RainUnit logged, RainUnit shown, int year, int month);

}  // namespace svu
