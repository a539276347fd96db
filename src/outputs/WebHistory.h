#pragma once

// What the web server needs of the logged readings: the records of one station's daily logs over a
// period. The reader itself lives above this layer (the runtime hands one to the server), so the
// outputs never depend on how the logs are read back.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

/// The loaded records of a period, in time order.
class HistoryRecords {
public:
    virtual ~HistoryRecords() = default;
    /// The column names of the log header (empty when nothing was read).
    virtual const std::vector<std::string>& Columns() const = 0;
    virtual std::size_t Count() const = 0;
    virtual TimeT Time(std::size_t record) const = 0;
    /// The text of a column of a record, blanks trimmed; empty when the record has no such field.
    virtual std::string_view Field(std::size_t record, int column) const = 0;
};

class HistoryReader {
public:
    virtual ~HistoryReader() = default;
    /// The records of the station's day files under `logFolder` with from <= time <= to; never
    /// nullptr (no file, or none in the period, gives no records).
    virtual std::unique_ptr<HistoryRecords> Load(const std::string& logFolder, const std::string& stationName,
                                                 TimeT from, TimeT to) = 0;
};

}  // namespace svu
