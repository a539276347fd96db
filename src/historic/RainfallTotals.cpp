#include "historic/RainfallTotals.h"

#include <sys/stat.h>

#include <algorithm>

#include "framework/StringTable.h"
#include "historic/LogRecord.h"

namespace svu {

namespace {

constexpr int kWeeklyText = 221;
constexpr int kWeeklyTextIncomplete = 222;
constexpr int kWeeklyCaption = 223;
constexpr int kMonthlyText = 224;
constexpr int kMonthlyTextIncomplete = 225;
constexpr int kMonthlyCaption = 226;

RainfallReport MakeReport(const RainfallSum& sum, RainUnit logged, RainUnit shown, const CalendarDay& start,
                          int captionId, int textId, int incompleteTextId) {
    RainfallReport report;
    report.caption = Str(captionId);
    report.total = ConvertRainfall(sum.total, logged, shown);
    report.complete = sum.complete;
    report.text = FormatString(sum.complete ? textId : incompleteTextId, FormatUserDate(NoonOf(start)), report.total,
                               RainUnitText(shown));
    report.unreadable = sum.unreadable;
    if (!sum.unreadable.empty()) {
        report.text += "\nThese days could not be read:";
        for (const CalendarDay& day : sum.unreadable) {
            report.text += ' ';
            report.text += FormatUserDate(NoonOf(day));
        }
    }
    return report;
}

// A record holds its date, its time and the values, all separated by commas; a header's name line
// or a damaged line does not.
bool LooksLikeRecord(std::string_view line) {
    return std::count(line.begin(), line.end(), ',') >= 2;
}

// True when the file holds its header and nothing more: a day the station logged no record, whose
// total is 0.
bool HeaderOnly(const std::string& path) {
    LogLineReader in;
    std::string_view line;
    if (!in.Open(path) || !in.Next(line)) {
        return false;
    }
    const int names = ParseLogChannelCount(line);
    if (names <= 0 && line != "0") {
        return false;
    }
    for (int i = 0; i < names; ++i) {
        if (!in.Next(line)) {
            return true;
        }
    }
    return !in.Next(line) || !in.LastLineTerminated();
}

}  // namespace

const char* RainUnitText(RainUnit unit) {
    switch (unit) {
        case RainUnit::Centimetres:
            return "cm";
        case RainUnit::Inches:
            return "inches";
        case RainUnit::Millimetres:
            break;
    }
    return "mm";
}

std::optional<RainUnit> ParseRainUnit(std::string_view text) {
    for (RainUnit unit : {RainUnit::Millimetres, RainUnit::Centimetres, RainUnit::Inches}) {
        if (text == RainUnitText(unit)) {
            return unit;
        }
    }
    return std::nullopt;
}

double ConvertRainfall(double total, RainUnit logged, RainUnit shown) {
    if (logged == RainUnit::Centimetres) {
        total *= 10.0;
    } else if (logged == RainUnit::Inches) {
        total *= 25.4;
    }
    if (shown == RainUnit::Centimetres) {
        total *= 0.1;
    } else if (shown == RainUnit::Inches) {
        total *= 0.03937008;
    }
    return total;
}

RainfallSum SumDailyRainfall(const std::string& logFolder, const std::string& stationName, int channel,
                             CalendarDay first, int days) {
    RainfallSum sum;
    std::string last;
    CalendarDay day = first;
    for (int i = 0; i < days; ++i, day = NextDay(day)) {
        const std::string path = DayFilePath(logFolder, stationName, day);
        if (!ReadLastCompleteLine(path, last)) {
            sum.complete = false;
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0) {
                sum.unreadable.push_back(day);  // there, but a folder, unreadable...
            }
            continue;
        }
        // A day's total is its last record's value; a last line that is no record (a damaged
        // file, or a header alone) is not taken as a total of 0 without saying so.
        if (!LooksLikeRecord(last) && !HeaderOnly(path)) {
            sum.complete = false;
            sum.unreadable.push_back(day);
            continue;
        }
        sum.total += LooksLikeRecord(last) ? LogRecordValue(last, channel) : 0.0;
        ++sum.daysFound;
    }
    return sum;
}

RainfallReport WeeklyRainfall(const std::string& logFolder, const std::string& stationName, int channel,
                              RainUnit logged, RainUnit shown, CalendarDay start) {
    const RainfallSum sum = SumDailyRainfall(logFolder, stationName, channel, start, 7);
    return MakeReport(sum, logged, shown, start, kWeeklyCaption, kWeeklyText, kWeeklyTextIncomplete);
}

RainfallReport MonthlyRainfall(const std::string& logFolder, const std::string& stationName, int channel,
                               RainUnit logged, RainUnit shown, int year, int month) {
    const CalendarDay start{year, month, 1};
    const RainfallSum sum = SumDailyRainfall(logFolder, stationName, channel, start, DaysInMonth(year, month));
    return MakeReport(sum, logged, shown, start, kMonthlyCaption, kMonthlyText, kMonthlyTextIncomplete);
}

}  // namespace svu
