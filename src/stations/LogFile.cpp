#include "stations/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "framework/RegularFile.h"

namespace svu {

bool LogFile::Open(const std::string& path, bool& empty) {
    Close();
    path_ = path;
    // Not through a symbolic link planted in the log folder, and never a FIFO or device.
    const int fd = OpenForAppend(path);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    empty = st.st_size == 0;
    fd_ = fd;
    return true;
}

bool LogFile::Write(std::string_view bytes) {
    pending_.append(bytes.data(), bytes.size());
    return Flush();
}

bool LogFile::Flush() {
    if (pending_.empty()) {
        return fd_ >= 0;
    }
    if (fd_ < 0) {
        pending_.clear();
        return false;
    }
    const std::string_view bytes = pending_;
    // The file ends with a whole record; when this one cannot be written whole (disk full, file
    // size limit) what did get written is cut off again, so that no torn record is left for the
    // next one to be joined to.
    struct stat st {};
    const bool sized = ::fstat(fd_, &st) == 0;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int saved = errno;
            if (done > 0 && sized) {
                while (::ftruncate(fd_, st.st_size) != 0 && errno == EINTR) {
                }
            }
            errno = saved;
            pending_.clear();
            return false;
        }
        done += static_cast<size_t>(n);
    }
    pending_.clear();
    return true;
}

void LogFile::Close() {
    if (fd_ >= 0) {
        Flush();
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace svu
