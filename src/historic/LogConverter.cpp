#include "historic/LogConverter.h"

#include <algorithm>
#include <vector>

#include "framework/TextUtil.h"
#include "historic/AtomicOutputFile.h"
#include "historic/LogRecord.h"

namespace svu {

namespace {

constexpr int kCannotOpen = 234;
constexpr int kInvalid = 237;
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

ConvertResult ConvertOldLogFile(const std::string& oldPath, const std::string& newPath) {
    ConvertResult result;
    LogLineReader in;
    if (!in.Open(oldPath)) {
        result.messageId = kCannotOpen;
        return result;
    }
    std::string_view line;
    std::string nameLine;
    std::string unitLine;
    if (in.Next(line)) {
        nameLine = line;
        if (in.Next(line)) {
            unitLine = line;
        }
    }
    std::vector<std::string_view> names;
    std::vector<std::string_view> units;
    SplitLogRecord(nameLine, names);
    SplitLogRecord(unitLine, units);
    // Fewer than two commas on either line: no channel at all.
    if (names.size() < 3 || units.size() < 3) {
        result.messageId = kInvalid;
        return result;
    }
    result.channels = static_cast<int>(std::min(names.size(), units.size()) - 2);

    AtomicOutputFile out;
    if (!out.Open(newPath)) {
        result.messageId = kCannotOpen;
        return result;
    }
    std::string header = FormatC("%i", result.channels);
    header += kLineEnd;
    for (int i = 0; i < result.channels; ++i) {
        const std::size_t field = static_cast<std::size_t>(i) + 2;
        header.append(names[field]).append(" (").append(units[field]).append(")").append(kLineEnd);
    }
    bool ok = out.Write(header);
    while (ok && in.Next(line)) {
        ok = out.Write(line) && out.Write(kLineEnd);
        ++result.records;
    }
    if (!ok || !out.Commit()) {
        result.messageId = kCannotOpen;
        result.records = 0;
    }
    return result;
}

}  // namespace svu
