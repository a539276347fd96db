#pragma once

// Local time with one-second resolution. Daylight saving comes from the C library (TZ), as the
// stations' readings, log names and log records are all stamped in local time.

#include <cstdint>
#include <string>
#include <string_view>

namespace svu {

/// Seconds since 1970-01-01 00:00:00 UTC.
using TimeT = int64_t;

/// A broken-down local time; month 1-12, day 1-31, dayOfWeek 0 (Sunday) - 6, dayOfYear 0-365.
struct LocalTm {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dayOfWeek = 4;
    int dayOfYear = 0;
};

/// Breaks a time down into local time.
LocalTm ToLocal(TimeT time);

/// The time of a local date and time; fields out of range are carried over (month 13 is January
/// of the next year) and daylight saving is decided by the system.
TimeT FromLocal(int year, int month, int day, int hour, int minute, int second);

/// Reads a "dd/mm/yy" (or "dd/mm/yyyy") date and an "hh:mm:ss" time as local time. The day is at
/// characters 0-1, the month at 3-4, the year from 6 on; hours, minutes and seconds at 0-1, 3-4
/// and 6-7. Each field is read with atoi rules, a missing field as 0. A year below 1000 is 2000 +
/// year when below 70, else 1900 + year.
TimeT ParseDateTime(std::string_view date, std::string_view time);

/// 00:00:00 local time of the day holding `time`.
TimeT StartOfLocalDay(TimeT time);

/// Number of days of a month (1-12) of a year.
int DaysInMonth(int year, int month);

/// "dd/mm/yy" (year modulo 100), as log records and network files carry it.
std::string FormatLogDate(TimeT time);

/// "hh:mm:ss", as log records and network files carry it.
std::string FormatLogTime(TimeT time);

/// "dd/mm/yy, hh:mm:ss": the stamp that starts a daily log record.
std::string FormatLogStamp(TimeT time);

/// "dd/mm/yyyy,  hh:mm:ss, " (two spaces after the first comma): the stamp that starts an
/// error.txt line.
std::string FormatErrorStamp(TimeT time);

/// "yyyymmdd", as daily file names carry it.
std::string FormatFileDate(TimeT time);

/// The date in the user's short date format (LC_TIME "%x").
std::string FormatUserDate(TimeT time);

/// The time in the user's time format (LC_TIME "%X").
std::string FormatUserTime(TimeT time);

/// The date in a long form of the user's language (LC_TIME day and month names).
std::string FormatUserLongDate(TimeT time);

/// strftime of a local time under the user's LC_TIME (the process's current LC_TIME setting).
std::string FormatUserTimeWith(TimeT time, const char* strftimeFormat);

}  // namespace svu
