// Feeds arbitrary bytes to the log readers as a day file: the line reader, the record splitter and
// field lookup, the date and time of a record, the file station's record reader, and the last-record
// reader of the rainfall totals. Nothing may crash, and the readers must agree with one another.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"
#include "framework/TextUtil.h"
#include "historic/LogRecord.h"
#include "stations/WSFile.h"

namespace {

std::string FuzzFilePath() {
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    return (folder / ("svu-logline-fuzz-" + std::to_string(::getpid()) + ".log")).string();
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = FuzzFilePath();
    static const bool init = [] {
        std::atexit([] { std::filesystem::remove(path); });
        return true;
    }();
    (void)init;

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    svu::LogLineReader reader;
    Check(reader.Open(path));
    std::string_view line;
    std::vector<std::string_view> fields;
    svu::FileRecord record;
    svu::LogTimeParser times;
    std::vector<std::string> values(6);
    std::string lastComplete;
    std::string tail;
    bool first = true;
    std::size_t consumed = 0;
    while (reader.Next(line)) {
        Check(line.find('\n') == std::string_view::npos);
        consumed += line.size();
        if (first) {
            const int n = svu::ParseLogChannelCount(line);
            Check(n >= 0 && n <= svu::kMaxLogChannels);
            first = false;
        }
        svu::SplitLogRecord(line, fields);
        for (std::size_t c = 2; c < fields.size(); ++c) {
            Check(svu::LogRecordField(line, static_cast<int>(c - 2)) == fields[c]);
            svu::LogRecordValue(line, static_cast<int>(c - 2));
        }
        Check(svu::LogRecordField(line, static_cast<int>(fields.size())).empty());
        svu::ParseDateTime(fields[0], fields.size() > 1 ? svu::TrimLeft(fields[1]) : std::string_view());
        // The file station's reading of the same line: a record it accepts has its fields, and
        // the channels a short record has no field for are empty.
        if (record.Parse(line, 4)) {
            Check(fields.size() >= 2 && record.Date() == fields[0] && record.Time() == svu::TrimLeft(fields[1]));
            times.Parse(record.Date(), record.Time());
            record.CopyTo(values, 4);
            for (std::size_t c = 2; c < 4; ++c) {
                Check(values[c] == (c < fields.size() ? fields[c] : std::string_view()));
            }
        }
        if (reader.LastLineTerminated()) {
            lastComplete = line;
        } else {
            tail = line;
        }
    }
    Check(consumed <= bytes.size());

    std::string last;
    Check(svu::ReadLastCompleteLine(path, last));
    const bool anyLineEnd = bytes.find('\n') != std::string_view::npos;
    Check(last == (anyLineEnd ? lastComplete : tail));
    return 0;
}
