#include "historic/DayFiles.h"

#include "stations/WeatherStation.h"

namespace svu {

bool IsValidDay(const CalendarDay& day) {
    return day.year >= 1 && day.year <= 9999 && day.month >= 1 && day.month <= 12 && day.day >= 1 &&
           day.day <= DaysInMonth(day.year, day.month);
}

CalendarDay NextDay(CalendarDay day) {
    if (++day.day > DaysInMonth(day.year, day.month)) {
        day.day = 1;
        if (++day.month > 12) {
            day.month = 1;
            ++day.year;
        }
    }
    return day;
}

CalendarDay DayOf(TimeT time) {
    const LocalTm tm = ToLocal(time);
    return {tm.year, tm.month, tm.day};
}

TimeT NoonOf(const CalendarDay& day) {
    return FromLocal(day.year, day.month, day.day, 12, 0, 0);
}

std::optional<CalendarDay> ParseIsoDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    auto number = [&](std::size_t from, std::size_t count, int& out) {
        out = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return false;
            }
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    CalendarDay day;
    if (!number(0, 4, day.year) || !number(5, 2, day.month) || !number(8, 2, day.day) || !IsValidDay(day)) {
        return std::nullopt;
    }
    return day;
}

std::string DayFilePath(const std::string& logFolder, const std::string& stationName, const CalendarDay& day) {
    return LogFileName(logFolder, stationName, day.year, day.month, day.day);
}

}  // namespace svu
