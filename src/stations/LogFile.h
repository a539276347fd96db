#pragma once

#include <string>
#include <string_view>

namespace svu {

/// A text file kept open for appending, as a station's daily log is for the whole day. Every Write
/// goes to the file at once, so a record is on disk, not half in a buffer, when the next reading
/// comes. A writer that knows more records follow at once (a replay at full speed) may gather them
/// with Pending and write them together with Flush; Close writes what is still waiting.
class LogFile {
public:
    LogFile() = default;
    ~LogFile() { Close(); }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    /// Opens `path` for appending, creating it when missing; a symbolic link or anything but a
    /// regular file is refused. `empty` tells whether the file holds
    /// nothing yet (just created, or left empty), so the caller knows to write a header.
    bool Open(const std::string& path, bool& empty);
    /// Appends the bytes whole; false when they could not all be written (disk full, file too
    /// large...), and then none of them is left in the file.
    bool Write(std::string_view bytes);
    /// The bytes waiting to be written: whole records are appended here.
    std::string& Pending() { return pending_; }
    /// Writes the waiting bytes whole, as Write does; they are no longer waiting either way.
    bool Flush();
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    /// The path given to the last Open.
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
    std::string pending_;  // keeps its storage from one batch to the next
};

}  // namespace svu
