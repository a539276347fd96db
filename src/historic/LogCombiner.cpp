#include "historic/LogCombiner.h"

#include <sys/stat.h>

#include "historic/AtomicOutputFile.h"
#include "historic/LogRecord.h"

namespace svu {

namespace {

constexpr int kMissingDays = 581;
constexpr int kNoFiles = 582;
constexpr int kCannotCreate = 583;
constexpr std::string_view kLineEnd = "\r\n";

// Appends every line of the file to the output; `skipHeader` passes over the count line and the
// names it announces. False when the output could not be written.
bool AppendFile(LogLineReader& in, AtomicOutputFile& out, bool skipHeader) {
    std::string_view line;
    long skip = 0;
    if (skipHeader) {
        if (!in.Next(line)) {
            return true;
        }
        skip = ParseLogChannelCount(line);
    }
    while (in.Next(line)) {
        if (skip > 0) {
            --skip;
            continue;
        }
        if (!out.Write(line) || !out.Write(kLineEnd)) {
            return false;
        }
    }
    return true;
}

}  // namespace

CombineResult CombineLogFiles(const std::string& logFolder, const std::string& stationName, CalendarDay from,
                              CalendarDay to, const std::string& outputPath) {
    CombineResult result;
    struct stat output {};
    if (::stat(outputPath.c_str(), &output) == 0) {
        for (CalendarDay day = from; day <= to && IsValidDay(day); day = NextDay(day)) {
            const std::string input = DayFilePath(logFolder, stationName, day);
            struct stat st {};
            if (::stat(input.c_str(), &st) == 0 && st.st_dev == output.st_dev && st.st_ino == output.st_ino) {
                result.messageId = kCannotCreate;
                result.refusal = "the output " + outputPath + " is the log of a day being combined (" + input + ")";
                return result;
            }
        }
    }
    AtomicOutputFile out;
    LogLineReader in;
    for (CalendarDay day = from; day <= to && IsValidDay(day); day = NextDay(day)) {
        if (!in.Open(DayFilePath(logFolder, stationName, day))) {
            ++result.daysMissing;
            continue;
        }
        const bool first = result.filesFound == 0;
        if (first && !out.Open(outputPath)) {
            result.messageId = kCannotCreate;
            return result;
        }
        ++result.filesFound;
        if (!AppendFile(in, out, !first)) {
            result.messageId = kCannotCreate;
            return result;
        }
        in.Close();
    }
    if (result.filesFound == 0) {
        result.messageId = kNoFiles;
        return result;
    }
    if (!out.Commit()) {
        result.messageId = kCannotCreate;
        return result;
    }
    result.written = true;
    result.messageId = result.daysMissing > 0 ? kMissingDays : 0;
    return result;
}

}  // namespace svu
