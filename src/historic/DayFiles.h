#pragma once

// The daily log files of a station over a period. Periods are walked by calendar day, not by
// adding 86400 seconds: across a daylight-saving change a fixed step visits one day twice and
// skips another.

#include <optional>
#include <string>
#include <string_view>

#include "framework/LocalTime.h"

namespace svu {

/// A date of the calendar, month 1-12, day 1-31.
struct CalendarDay {
    int year = 1970;
    int month = 1;
    int day = 1;

    auto operator<=>(const CalendarDay&) const = default;
};

/// True for a date that exists (year 1 .. 9999).
bool IsValidDay(const CalendarDay& day);

/// The following day.
CalendarDay NextDay(CalendarDay day);

/// The local date of a time.
CalendarDay DayOf(TimeT time);

/// Local noon of the day: a time that lies inside the day whatever daylight saving does.
TimeT NoonOf(const CalendarDay& day);

/// Reads "YYYY-MM-DD"; nullopt unless it is a valid date in exactly that form.
std::optional<CalendarDay> ParseIsoDay(std::string_view text);

/// The day's log file of a station, named as the station names it.
std::string DayFilePath(const std::string& logFolder, const std::string& stationName, const CalendarDay& day);

}  // namespace svu
