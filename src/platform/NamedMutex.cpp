#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace svu {

namespace {

// How often a waiting Lock looks again (and at its cancel test).
constexpr auto kRetryPeriod = std::chrono::milliseconds(20);

}  // namespace

NamedMutex::NamedMutex(const std::string& name, std::string folder)
    : folder_(folder.empty() ? DefaultFolder() : std::move(folder)) {
    path_ = folder_ + "/" + FileName(name) + ".lock";
}

NamedMutex::~NamedMutex() {
    Unlock();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::string NamedMutex::DefaultFolder() {
    if (const char* own = std::getenv("STRATAVUE_RUNTIME_DIR"); own != nullptr && *own != '\0') {
        return own;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/stratavue";
    }
    return "/tmp/stratavue-" + std::to_string(::getuid());
}

std::string NamedMutex::FileName(const std::string& name) {
    std::string file = name;
    for (char& c : file) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '.';
        if (!keep) {
            c = '_';
        }
    }
    return file.empty() ? "_" : file;
}

bool NamedMutex::OpenFile() {
    if (fd_ >= 0) {
        return true;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        error_ = "Unable to open lock file " + path_ + " (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

bool NamedMutex::TryLock() {
    if (held_) {
        return true;
    }
    if (!OpenFile()) {
        return false;
    }
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    held_ = true;
    return true;
}

bool NamedMutex::Lock(const std::function<bool()>& cancel) {
    while (!TryLock()) {
        if (fd_ < 0 || (cancel && cancel())) {
            return false;
        }
        std::this_thread::sleep_for(kRetryPeriod);
    }
    return true;
}

void NamedMutex::Unlock() {
    if (held_) {
        ::flock(fd_, LOCK_UN);
        held_ = false;
    }
}

}  // namespace svu
