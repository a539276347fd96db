// Feeds arbitrary bytes to the log readers as a day file: the line reader, the record splitter and
// field lookup, the date and time of a record, the file station's record reader, and the last-record
// reader of the rainfall totals. Nothing may crash, and the readers must agree with one another.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzFile.h"
#include "framework/LocalTime.h"
#include "framework/TextUtil.h"
#include "historic/LogRecord.h"
#include "stations/WSFile.h"

using svu::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string& path = svu::fuzz::WriteFuzzFile("logline", bytes);

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
