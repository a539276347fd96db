#include "framework/LocalTime.h"

#include <locale.h>

#include <algorithm>
#include <ctime>
#include <mutex>

#include "framework/TextUtil.h"

namespace svu {

namespace {

// Keeps arithmetic on fields read from untrusted text far away from int overflow; mktime
// normalises anything in this range (or reports it as unrepresentable).
int ClampField(int value) {
    return std::clamp(value, -10'000'000, 10'000'000);
}

// Reads `length` characters at `pos` with atoi rules; a field beyond the end of the text is 0.
int Field(std::string_view text, std::size_t pos, std::size_t length) {
    return pos < text.size() ? AtoI(text.substr(pos, length)) : 0;
}

// A locale object for the process's current LC_TIME setting, rebuilt when that setting changes.
class UserTimeLocale {
public:
    std::string Format(const std::tm& tm, const char* format) {
        std::lock_guard lock(mutex_);
        const char* name = setlocale(LC_TIME, nullptr);
        const std::string current = name ? name : "C";
        if (locale_ == static_cast<locale_t>(nullptr) || current != name_) {
            locale_t fresh = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
            if (fresh != static_cast<locale_t>(nullptr)) {
                locale_t withTime = newlocale(LC_TIME_MASK, current.c_str(), fresh);
                if (withTime != static_cast<locale_t>(nullptr)) {
                    fresh = withTime;
                }
                if (locale_ != static_cast<locale_t>(nullptr)) {
                    freelocale(locale_);
                }
                locale_ = fresh;
                name_ = current;
            }
        }
        char buffer[256];
        const std::size_t n = locale_ != static_cast<locale_t>(nullptr)
                                  ? strftime_l(buffer, sizeof buffer, format, &tm, locale_)
                                  : std::strftime(buffer, sizeof buffer, format, &tm);
        return std::string(buffer, n);
    }

private:
    std::mutex mutex_;
    std::string name_;
    locale_t locale_ = static_cast<locale_t>(nullptr);
};

std::tm ToTm(TimeT time) {
    std::tm tm{};
    const std::time_t t = static_cast<std::time_t>(time);
    if (localtime_r(&t, &tm) == nullptr) {
        tm = std::tm{};
        tm.tm_mday = 1;
        tm.tm_year = 70;
    }
    return tm;
}

// True when local time `t` (broken down in `tm`, standard time) may be the second pass through an
// hour repeated when summer time ended: summer time, or another offset, held within the three
// hours before. Everywhere else there is nothing to settle, and asking mktime for summer time in a
// zone without it makes it search for a long time.
bool SummerTimeEndedJustBefore(std::time_t t, const std::tm& tm) {
    constexpr std::time_t kWidestShift = 3 * 3600;
    std::tm before{};
    const std::time_t earlier = t - kWidestShift;
    if (localtime_r(&earlier, &before) == nullptr) {
        return true;  // cannot tell: take the careful path
    }
    return before.tm_isdst != 0 || before.tm_gmtoff != tm.tm_gmtoff;
}

}  // namespace

LocalTm ToLocal(TimeT time) {
    const std::tm tm = ToTm(time);
    LocalTm local;
    local.year = tm.tm_year + 1900;
    local.month = tm.tm_mon + 1;
    local.day = tm.tm_mday;
    local.hour = tm.tm_hour;
    local.minute = tm.tm_min;
    local.second = tm.tm_sec;
    local.dayOfWeek = tm.tm_wday;
    local.dayOfYear = tm.tm_yday;
    return local;
}

TimeT FromLocal(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = ClampField(year) - 1900;
    tm.tm_mon = ClampField(month) - 1;
    tm.tm_mday = ClampField(day);
    tm.tm_hour = ClampField(hour);
    tm.tm_min = ClampField(minute);
    tm.tm_sec = ClampField(second);
    tm.tm_isdst = -1;
    const std::tm requested = tm;
    const std::time_t t = std::mktime(&tm);
    if (t != static_cast<std::time_t>(-1) && tm.tm_isdst == 0 && SummerTimeEndedJustBefore(t, tm)) {
        // In the hour repeated when summer time ends, mktime's choice depends on earlier calls;
        // settle on the first occurrence (still summer time) whenever that reading is valid.
        std::tm summer = requested;
        summer.tm_isdst = 1;
        const std::time_t earlier = std::mktime(&summer);
        if (earlier != static_cast<std::time_t>(-1) && earlier < t && summer.tm_isdst == 1 &&
            summer.tm_hour == tm.tm_hour && summer.tm_min == tm.tm_min && summer.tm_mday == tm.tm_mday) {
            return static_cast<TimeT>(earlier);
        }
    }
    return static_cast<TimeT>(t);
}

TimeT ParseDateTime(std::string_view date, std::string_view time) {
    const int day = Field(date, 0, 2);
    const int month = Field(date, 3, 2);
    int year = Field(date, 6, std::string_view::npos);
    if (year < 1000) {
        year += year < 70 ? 2000 : 1900;
    }
    return FromLocal(year, month, day, Field(time, 0, 2), Field(time, 3, 2), Field(time, 6, 2));
}

TimeT StartOfLocalDay(TimeT time) {
    const LocalTm local = ToLocal(time);
    return FromLocal(local.year, local.month, local.day, 0, 0, 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::string FormatLogDate(TimeT time) {
    const LocalTm t = ToLocal(time);
    return FormatC("%02i/%02i/%02i", t.day, t.month, t.year % 100);
}

std::string FormatLogTime(TimeT time) {
    const LocalTm t = ToLocal(time);
    return FormatC("%02i:%02i:%02i", t.hour, t.minute, t.second);
}

std::string FormatLogStamp(TimeT time) {
    const LocalTm t = ToLocal(time);
    return FormatC("%02i/%02i/%02i, %02i:%02i:%02i", t.day, t.month, t.year % 100, t.hour, t.minute, t.second);
}

std::string FormatErrorStamp(TimeT time) {
    const LocalTm t = ToLocal(time);
    return FormatC("%02i/%02i/%04i,  %02i:%02i:%02i, ", t.day, t.month, t.year, t.hour, t.minute, t.second);
}

std::string FormatFileDate(TimeT time) {
    const LocalTm t = ToLocal(time);
    return FormatC("%04i%02i%02i", t.year, t.month, t.day);
}

std::string FormatUserTimeWith(TimeT time, const char* strftimeFormat) {
    static UserTimeLocale userLocale;
    return userLocale.Format(ToTm(time), strftimeFormat);
}

std::string FormatUserDate(TimeT time) {
    return FormatUserTimeWith(time, "%x");
}

std::string FormatUserTime(TimeT time) {
    return FormatUserTimeWith(time, "%X");
}

std::string FormatUserLongDate(TimeT time) {
    return FormatUserTimeWith(time, "%d %B %Y");
}

}  // namespace svu
