#pragma once

// For fuzz targets whose readers take a file path: each input is written to one file of the
// process (in /dev/shm when there is one, so that fuzzing does not wear a disk), removed at exit.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace svu::fuzz {

/// Replaces the content of this process's fuzz file named after `tag`; returns its path.
inline const std::string& WriteFuzzFile(const char* tag, std::string_view bytes) {
    static const std::string path = [tag] {
        const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                                 ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path();
        return (folder / ("svu-" + std::string(tag) + "-fuzz-" + std::to_string(::getpid()) + ".log")).string();
    }();
    // Registered once the path is complete, so that it runs before the path is destroyed.
    static const bool removedAtExit = std::atexit([] { std::filesystem::remove(path); }) == 0;
    (void)removedAtExit;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

/// A broken promise: abort, so the fuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace svu::fuzz
