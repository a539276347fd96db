#pragma once

// Opening files that the program reads or appends to, when the name comes from the user or from a
// settings or display file. A folder, a FIFO or a device given where a file is expected must not
// block the program in open() or read() (a FIFO without a writer, a terminal), nor make it read
// without end (/dev/zero): such names are refused before anything is read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace svu {

/// How a whole-file read ended.
enum class ReadFileStatus { Ok, Missing, NotRegular, TooLarge, Failed };

/// Opens `path` for reading when it is a regular file; -1 otherwise, with `error` (when given)
/// saying why and `status` (when given) the kind of failure. The open never blocks.
int OpenRegularFile(const std::string& path, std::string* error = nullptr, ReadFileStatus* status = nullptr);

/// Reads a regular file of at most `maxBytes` whole.
ReadFileStatus ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                               std::string* error = nullptr);
ReadFileStatus ReadRegularFile(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes,
                               std::string* error = nullptr);

/// Opens `path` for appending, creating it when missing (mode 0644 less the umask). A symbolic link
/// at the last component is refused rather than followed, and so is anything but a regular file.
/// -1 on failure with errno set (ELOOP for a link, EINVAL for a non-regular file).
int OpenForAppend(const std::string& path);

/// True when `path` names an existing file that is not a regular one (folder, FIFO, device...).
bool IsSpecialFile(const std::string& path);

}  // namespace svu
