#pragma once

// Files that are rewritten whole (settings, station file, display file, network output file,
// web output) are written to a temporary file in the same folder, flushed to disk and renamed
// over the old one, so a crash or a full disk leaves either the old or the new file, never a
// mixture.

#include <string>
#include <string_view>

namespace svu {

/// Replaces the file at `path` with `bytes` atomically. A symbolic link is followed, so the file
/// it points to is replaced and the link kept. On failure the old file is untouched, false is
/// returned and `error` (when given) describes what failed. A fifo or character device (standard
/// output named as "/dev/stdout") is written to directly, never replaced; another kind of file that
/// is not a regular one (a folder) is refused. `durable` false leaves out the flushes
/// to disk, for files rewritten every few seconds whose loss in a power cut costs one reading.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                         bool durable = true);

/// Test hook, called after the temporary file is complete and before it is renamed over the
/// target. Returning false simulates a crash at that moment: the write stops there, leaving the
/// temporary file behind as a power cut would, and WriteFileAtomically returns false.
using AtomicWriteHook = bool (*)(const std::string& temporaryPath);

/// Installs (or with nullptr removes) the test hook; returns the previous one.
AtomicWriteHook SetAtomicWriteHookForTesting(AtomicWriteHook hook);

/// Whether WriteFileAtomically flushes data to the disk (fsync) before renaming; on by default.
/// Fuzzing and other bulk tests switch it off for speed.
void SetAtomicWriteSyncForTesting(bool sync);

}  // namespace svu
