#pragma once

// Reading the daily log files back: the header (channel count, then one name per line) and the
// records ("dd/mm/yy, hh:mm:ss, v0, v1, ..."). Readers work on views of the line, with no copy per
// field, and tolerate files that a running station is appending to.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace svu {

/// Channel counts above this in a header are taken as damage (the station never writes more).
inline constexpr int kMaxLogChannels = 65536;

/// The text of channel `channel` (0-based) of a record: what stands after the (channel + 2)-th comma,
/// up to the next comma. Empty when the record has fewer fields.
std::string_view LogRecordField(std::string_view record, int channel);

/// The value of channel `channel` read as a C-locale number (0 when missing or not a number).
double LogRecordValue(std::string_view record, int channel);

/// Splits a record at every comma into `fields` (cleared first); the fields keep their spaces.
void SplitLogRecord(std::string_view record, std::vector<std::string_view>& fields);

/// The channel count of a header's first line, 0 when it is not a sound count.
int ParseLogChannelCount(std::string_view line);

/// Reads a file line by line through one buffer. Line ends (LF, with or without CR) are removed;
/// the last line may lack its end, which LastLineTerminated() tells.
class LogLineReader {
public:
    LogLineReader() = default;
    ~LogLineReader();
    LogLineReader(const LogLineReader&) = delete;
    LogLineReader& operator=(const LogLineReader&) = delete;

    /// Opens the file for reading (others may go on writing it); false when it cannot be opened.
    bool Open(const std::string& path);
    /// Goes back to the first line.
    bool Rewind();
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    /// The next line, valid until the next call; false at the end of the file or on a read error.
    bool Next(std::string_view& line);
    /// Whether the line Next gave last ended with a line feed.
    bool LastLineTerminated() const { return terminated_; }

private:
    bool Fill();

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // one past the last byte read
    bool eof_ = false;
    bool terminated_ = true;
};

/// The last line of a file that ends with a line feed, without its line end; a tail without one is
/// a record still being written and is passed over. With no complete line at all, the tail itself.
/// False when the file cannot be opened.
bool ReadLastCompleteLine(const std::string& path, std::string& line);

}  // namespace svu
