#include "framework/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace svu {

namespace {

pid_t ReadHolder(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) {
        return 0;
    }
    const long pid = std::strtol(text, nullptr, 10);
    return pid > 0 ? static_cast<pid_t>(pid) : 0;
}

}  // namespace

bool FolderLock::Acquire(const std::string& folder, pid_t& holder, std::string& error) {
    Release();
    holder = 0;
    std::string path = folder.empty() ? std::string(".") : folder;
    if (path.back() != '/') {
        path += '/';
    }
    path += kFolderLockFileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int saved = errno;
        if (saved == EWOULDBLOCK) {
            holder = ReadHolder(fd);
            error = path + ": held by another process";
        } else {
            error = path + ": " + std::strerror(saved);
        }
        ::close(fd);
        return false;
    }
    // The holder's process id, for the message the next copy shows.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t n = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    fd_ = fd;
    return true;
}

void FolderLock::Release() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock; the file stays, so no other copy races on its creation
        fd_ = -1;
    }
}

}  // namespace svu
