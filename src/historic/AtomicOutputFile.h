#pragma once

// A file written whole by a long-running command (combined or converted logs), streamed to a
// temporary file beside the target and renamed over it only when complete: the old file survives a
// failure, and the target may even be one of the inputs.

#include <string>
#include <string_view>

namespace svu {

class AtomicOutputFile {
public:
    AtomicOutputFile() = default;
    /// Removes the temporary file unless Commit succeeded.
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    /// Creates the temporary file for `target`; false when it cannot be created.
    bool Open(const std::string& target);
    /// Appends bytes (buffered); false once any write has failed.
    bool Write(std::string_view bytes);
    /// Flushes, syncs and renames the temporary file over the target; false on any failure, in
    /// which case the target is untouched.
    bool Commit();
    /// Drops what was written.
    void Abandon();

private:
    bool Flush();

    int fd_ = -1;
    bool failed_ = false;
    std::string target_;
    std::string temporary_;
    std::string buffer_;
};

}  // namespace svu
