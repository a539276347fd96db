#include "historic/AtomicOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace svu {

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

}  // namespace

AtomicOutputFile::~AtomicOutputFile() {
    Abandon();
}

bool AtomicOutputFile::Open(const std::string& target) {
    Abandon();
    if (target.empty()) {
        return false;
    }
    target_ = target;
    const std::filesystem::path t(target);
    const std::filesystem::path folder = t.has_parent_path() ? t.parent_path() : std::filesystem::path(".");
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = (folder / ("." + t.filename().string() + "." + std::to_string(::getpid()) + "." +
                                std::to_string(attempt) + ".tmp"))
                         .string();
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        return false;
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fd_, existing.st_mode & 07777);
    }
    failed_ = false;
    buffer_.clear();
    buffer_.reserve(kBufferBytes);
    return true;
}

bool AtomicOutputFile::Flush() {
    std::string_view bytes = buffer_;
    while (!bytes.empty() && !failed_) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            failed_ = true;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    buffer_.clear();
    return !failed_;
}

bool AtomicOutputFile::Write(std::string_view bytes) {
    if (fd_ < 0 || failed_) {
        return false;
    }
    buffer_.append(bytes);
    return buffer_.size() < kBufferBytes || Flush();
}

bool AtomicOutputFile::Commit() {
    if (fd_ < 0) {
        return false;
    }
    bool ok = Flush() && ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary_.c_str());
    }
    temporary_.clear();
    return ok;
}

void AtomicOutputFile::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(temporary_.c_str());
    }
    temporary_.clear();
    buffer_.clear();
}

}  // namespace svu
