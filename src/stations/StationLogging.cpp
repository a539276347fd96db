// The files a station writes after every reading: the daily log and the network output file.
// This runs for every reading with the station lock held, so it reuses its buffers, keeps the day's
// log open and breaks times down through a cache.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "framework/AtomicFile.h"
#include "framework/SafeName.h"
#include "framework/StringTable.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kUnableToOpenNetworkFile = 549;
constexpr int kUnableToOpenLogFile = 550;
constexpr int kUnableToWriteLogFile = 653;
constexpr const char* kLineEnd = "\r\n";
// Records held back by HoldLogWrites go to the file in writes of about this size.
constexpr size_t kLogBatchBytes = 128 * 1024;

void Append2(std::string& out, int v) {
    if (v < 0 || v > 99) {
        v = ((v % 100) + 100) % 100;
    }
    out.push_back(static_cast<char>('0' + v / 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

void AppendInt(std::string& out, long long v) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, result.ptr);
}

void AppendDate(std::string& out, const LocalTm& tm) {
    Append2(out, tm.day);
    out.push_back('/');
    Append2(out, tm.month);
    out.push_back('/');
    Append2(out, tm.year % 100);
}

void AppendTime(std::string& out, const LocalTm& tm) {
    Append2(out, tm.hour);
    out.push_back(':');
    Append2(out, tm.minute);
    out.push_back(':');
    Append2(out, tm.second);
}

}  // namespace

std::string LogFileName(const std::string& folder, const std::string& stationName, int year, int month, int day) {
    char date[32];
    std::snprintf(date, sizeof date, "%04i%02i%02i", year, month, day);
    return folder + "/" + stationName + "-" + date + ".log";
}

TimeT AlignedLogStart(TimeT now, int count, int unitSeconds) {
    if (count < 1) {
        count = 1;
    }
    LocalTm tm = ToLocal(now);
    if (unitSeconds >= 3600) {
        return FromLocal(tm.year, tm.month, tm.day, tm.hour / count * count, 0, 0);
    }
    if (unitSeconds >= 60) {
        return FromLocal(tm.year, tm.month, tm.day, tm.hour, tm.minute / count * count, 0);
    }
    return FromLocal(tm.year, tm.month, tm.day, tm.hour, tm.minute, tm.second / count * count);
}

void WeatherStation::AppendLogStamp(std::string& line, const LocalTm& tm) const {
    AppendDate(line, tm);
    line += ", ";
    AppendTime(line, tm);
}

void WeatherStation::LogReading() {
    if (!loggingEnabled) {
        CloseLogFile();
        return;
    }
    const LocalTm& tm = localTimes_.Get(readingTime);
    // The whole date, not only the day of month, decides the file: a replay that jumps a month
    // must not append to the wrong day's file.
    const int32_t date = tm.year * 10000 + tm.month * 100 + tm.day;
    if (logFile.IsOpen() && date != logDate_) {
        CloseLogFile();
    }
    if (!logFile.IsOpen() && !OpenLogFile()) {
        return;
    }
    if (logAllValues) {
        WriteLogRecord();
        return;
    }
    if (readingTime >= nextLogTime) {
        WriteLogRecord();
        if (logInterval > 0) {
            nextLogTime += ((readingTime - nextLogTime) / logInterval + 1) * static_cast<TimeT>(logInterval);
        } else {
            nextLogTime = readingTime + 1;  // no interval: every new second is due
        }
    }
}

void WeatherStation::LogWriteFailed(const std::string& what) {
    counters->logWriteErrors.fetch_add(1, std::memory_order_relaxed);
    const int reason = errno;
    ReportError(this, what);
    if (!logWriteFailing_) {
        // Once per outage: error.txt may be on the same full disk, so the person running the
        // program hears of it through the user interface (the service's standard error) as well.
        logWriteFailing_ = true;
        PostNotice(this, what + ": " + std::strerror(reason) + "; records are lost until it can be written again");
    }
}

void WeatherStation::LogWriteSucceeded() {
    if (logWriteFailing_) {
        logWriteFailing_ = false;
        const std::string text = "Logging resumed [" + logFile.Path() + "]";
        ReportError(this, text);
        PostNotice(this, text);
    }
}

bool WeatherStation::OpenLogFile() {
    const LocalTm& tm = localTimes_.Get(readingTime);
    // A name that is not fit to be part of a file name would put the log outside its folder.
    if (const std::string problem = FileNamePartProblem(name); !problem.empty()) {
        errno = EINVAL;
        LogWriteFailed(Str(kUnableToOpenLogFile) + " (the station name " + problem + ")");
        return false;
    }
    const std::string path = LogFileName(logFolder, name, tm.year, tm.month, tm.day);
    bool empty = false;
    if (!logFile.Open(path, empty)) {
        LogWriteFailed(Str(kUnableToOpenLogFile) + " [" + path + "]");
        return false;
    }
    logDate_ = tm.year * 10000 + tm.month * 100 + tm.day;
    logDay = tm.day;
    if (empty) {
        // A file left empty (say by a full disk) gets its header when it is next opened.
        std::string header;
        const int32_t n = channelCount > 0 ? channelCount : 0;
        AppendInt(header, n);
        header += kLineEnd;
        for (int32_t i = 0; i < n; ++i) {
            if (static_cast<size_t>(i) < channelNames.size()) {
                // A line end in a name would shift every following name of the header.
                header += EscapeControls(channelNames[static_cast<size_t>(i)]);
            }
            header += kLineEnd;
        }
        if (!logFile.Write(header)) {
            // Closed again, so the next reading writes the header before any record.
            LogWriteFailed(Str(kUnableToWriteLogFile) + " [" + logFile.Path() + "]");
            logFile.Close();
            return false;
        }
    }
    return true;
}

void WeatherStation::WriteLogRecord() {
    const LocalTm& tm = localTimes_.Get(readingTime);
    logDay = tm.day;
    // The record is formatted straight into the file's waiting bytes: no line of its own.
    std::string& line = logFile.Pending();
    AppendLogStamp(line, tm);
    const size_t n = channelCount > 0 ? static_cast<size_t>(channelCount) : 0;
    const size_t known = std::min(n, values.size());
    const std::string_view end(kLineEnd);
    // Sized once and filled in place: this runs for every reading of every station.
    size_t length = 2 * n + end.size();
    for (size_t i = 0; i < known; ++i) {
        length += values[i].size();
    }
    const size_t start = line.size();
    line.resize(start + length);
    char* out = line.data() + start;
    for (size_t i = 0; i < n; ++i) {
        *out++ = ',';
        *out++ = ' ';
        if (i < known && !values[i].empty()) {
            std::memcpy(out, values[i].data(), values[i].size());
            out += values[i].size();
        }
    }
    std::memcpy(out, end.data(), end.size());
    if (holdLogWrites_ && line.size() < kLogBatchBytes) {
        return;  // written with the following records
    }
    FlushLog();
}

bool WeatherStation::FlushLog() {
    if (logFile.Pending().empty()) {
        return true;
    }
    if (!logFile.Flush()) {
        LogWriteFailed(Str(kUnableToWriteLogFile) + " [" + logFile.Path() + "]");
        return false;
    }
    LogWriteSucceeded();
    return true;
}

void WeatherStation::HoldLogWrites(bool hold) {
    holdLogWrites_ = hold;
    if (!hold) {
        FlushLog();
    }
}

void WeatherStation::CloseLogFile() {
    FlushLog();
    logFile.Close();
}

void WeatherStation::WriteNetworkFile() {
    if (!networkOutput || networkFile.empty()) {
        return;
    }
    const LocalTm& tm = localTimes_.Get(readingTime);
    std::string& text = networkBuffer_;
    text.clear();
    const size_t n = channelCount > 0 ? static_cast<size_t>(channelCount) : 0;
    AppendInt(text, static_cast<long long>(n));
    text += kLineEnd;
    AppendDate(text, tm);
    text += kLineEnd;
    AppendTime(text, tm);
    text += kLineEnd;
    for (size_t i = 0; i < n; ++i) {
        if (i < channelNames.size()) {
            text += channelNames[i];
        }
        text += kLineEnd;
        if (i < values.size()) {
            text += values[i];
        }
        text += kLineEnd;
    }

    // The content goes to a new, uniquely named temporary file that is then renamed over the old
    // one, so a reader (another copy's network station) sees either the previous reading or this
    // one, whole, and nothing planted under a temporary name is written through.
    std::string error;
    if (!WriteFileAtomically(networkFile, text, &error, false)) {
        ReportError(this, Str(kUnableToOpenNetworkFile) + " [" + error + "]");
    }
}

}  // namespace svu
