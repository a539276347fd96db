#pragma once

// Logged readings read back over a period for the historic graph, table and wind rose: the day
// files of a station (walked by calendar day) or one chosen log file. Each file is read whole in
// one system call and its lines are kept as views into that block, so a year of one-minute records
// loads without a copy or an allocation per line; values are converted only when a view asks.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

/// Memory holding a file's bytes: mapped whole and populated in one call, which costs far less
/// than touching fresh pages one fault at a time while reading.
struct LogBlockRelease {
    std::size_t size = 0;
    void operator()(char* data) const;
};
using LogBlock = std::unique_ptr<char[], LogBlockRelease>;

/// Where the readings come from: a station's day files ("Logged data") or one log file
/// ("Downloaded data").
struct HistoricSource {
    bool downloaded = false;
    std::string logFolder;    // logged data
    std::string stationName;  // logged data
    std::string filePath;     // downloaded data

    /// The station's name, or the file's path, as headings name the source.
    const std::string& Name() const { return downloaded ? filePath : stationName; }
};

/// How a load ended.
enum class HistoricLoadStatus {
    Ok,            // at least one line was kept
    UnableToOpen,  // no file of the period (or the chosen file) could be opened
    NoData,        // files were read but no line lies in the period
};

/// The time of a reading line: the date in its first 8 characters, the time between the first and
/// second commas with blanks trimmed; local time.
TimeT ParseLogTime(std::string_view line);

/// The value of channel `channel` of a reading line (0 when missing or not a number).
double ParseLogValue(std::string_view line, int channel);

/// The text of channel `channel` of a reading line, blanks trimmed on both sides.
std::string_view LogFieldText(std::string_view line, int channel);

/// The date and time cells of a reading line as the table shows them: the first 8 characters, and
/// the time field trimmed.
std::string_view LogDateText(std::string_view line);
std::string_view LogTimeText(std::string_view line);

/// The kept reading lines of a period, in time order, with their times.
class HistoricLog {
public:
    /// Header names of the first file read.
    std::vector<std::string> channelNames;

    std::size_t Count() const { return lines_.size(); }
    bool HaveData() const { return !lines_.empty(); }
    std::string_view Line(std::size_t i) const { return lines_[i]; }
    TimeT Time(std::size_t i) const { return times_[i]; }
    TimeT FirstTime() const { return times_.front(); }
    TimeT LastTime() const { return times_.back(); }
    /// True when every kept line has seconds 00 (the graph then counts in minutes).
    bool WholeMinutes() const { return wholeMinutes_; }
    /// Number of files that were opened.
    int FilesRead() const { return filesRead_; }

    void Clear();

private:
    friend class HistoricLogBuilder;

    std::vector<LogBlock> blocks_;  // file contents the lines point into
    std::vector<std::string_view> lines_;
    std::vector<TimeT> times_;
    bool wholeMinutes_ = true;
    int filesRead_ = 0;
};

/// Reads the lines of `source` whose time t satisfies from <= t <= to into `log` (replacing what it
/// held). A day file's header is skipped by its own count, so a day logged with another channel
/// set is still read; a missing day is passed over. Lines come out in time order even when a clock
/// was set back while logging.
HistoricLoadStatus LoadHistoricRange(const HistoricSource& source, TimeT from, TimeT to, HistoricLog& log);

/// One whole log file for the table: the header names and every reading line, unfiltered.
class LogFileView {
public:
    /// False when the file cannot be opened or read.
    bool Open(const std::string& path);

    const std::vector<std::string>& ChannelNames() const { return names_; }
    int HeaderCount() const { return headerCount_; }
    std::size_t Count() const { return lines_.size(); }
    std::string_view Line(std::size_t i) const { return lines_[i]; }

private:
    LogBlock block_;
    std::vector<std::string> names_;
    std::vector<std::string_view> lines_;
    int headerCount_ = 0;
};

/// The times of the first and last reading lines of a log file (for the range dialog); false when
/// the file cannot be read or holds no reading line.
bool LogFileTimeSpan(const std::string& path, TimeT& first, TimeT& last);

}  // namespace svu
