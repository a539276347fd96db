#include "framework/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace svu {

namespace {

template <class Bytes>
ReadFileStatus ReadWhole(const std::string& path, std::size_t maxBytes, Bytes& bytes, std::string* error) {
    bytes.clear();
    ReadFileStatus status = ReadFileStatus::Ok;
    const int fd = OpenRegularFile(path, error, &status);
    if (fd < 0) {
        return status;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        if (error != nullptr) {
            *error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
        }
        return ReadFileStatus::TooLarge;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            // The file may have grown since fstat: read on, within the bound.
            if (bytes.size() >= maxBytes) {
                char probe;
                ssize_t n;
                do {
                    n = ::read(fd, &probe, 1);
                } while (n < 0 && errno == EINTR);
                if (n > 0) {
                    ::close(fd);
                    if (error != nullptr) {
                        *error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
                    }
                    return ReadFileStatus::TooLarge;
                }
                break;
            }
            bytes.resize(std::min(maxBytes, bytes.size() + 65536));
        }
        const ssize_t n = ::read(fd, reinterpret_cast<char*>(bytes.data()) + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int saved = errno;
            ::close(fd);
            bytes.clear();
            if (error != nullptr) {
                *error = path + ": " + std::strerror(saved);
            }
            return ReadFileStatus::Failed;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    ::close(fd);
    return ReadFileStatus::Ok;
}

}  // namespace

int OpenRegularFile(const std::string& path, std::string* error, ReadFileStatus* status) {
    int fd;
    do {
        // Non-blocking, so that a FIFO without a writer cannot hold the open.
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int saved = errno;
        if (status != nullptr) {
            *status = saved == ENOENT ? ReadFileStatus::Missing : ReadFileStatus::Failed;
        }
        if (error != nullptr) {
            *error = path + ": " + std::strerror(saved);
        }
        errno = saved;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (status != nullptr) {
            *status = ReadFileStatus::NotRegular;
        }
        if (error != nullptr) {
            *error = path + ": " + (S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file");
        }
        errno = EINVAL;
        return -1;
    }
    // Reads of a regular file never block; the flag is cleared so that callers see ordinary reads.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (status != nullptr) {
        *status = ReadFileStatus::Ok;
    }
    return fd;
}

ReadFileStatus ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes, std::string* error) {
    return ReadWhole(path, maxBytes, bytes, error);
}

ReadFileStatus ReadRegularFile(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes,
                               std::string* error) {
    return ReadWhole(path, maxBytes, bytes, error);
}

int OpenForAppend(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool IsSpecialFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

}  // namespace svu
