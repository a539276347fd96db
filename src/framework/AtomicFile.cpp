#include "framework/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace svu {

namespace {

std::atomic<AtomicWriteHook> gHook{nullptr};
std::atomic<bool> gSync{true};
std::atomic<unsigned> gCounter{0};

bool Fail(std::string* error, const std::string& what, int errorNumber) {
    if (error) {
        *error = what + ": " + std::strerror(errorNumber);
    }
    return false;
}

// The file to replace: the target of a symbolic link rather than the link itself.
std::string ResolveTarget(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
        if (!ec) {
            return target.string();
        }
    }
    return path;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Opens a new, uniquely named file beside `target`; the name starts with a dot so that folder
// listings and globbing readers pass over a leftover one.
int CreateTemporary(const std::string& target, std::string& temporaryPath) {
    const std::filesystem::path t(target);
    const std::filesystem::path folder = t.has_parent_path() ? t.parent_path() : std::filesystem::path(".");
    static thread_local std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%ld.%u.%08x.tmp", static_cast<long>(::getpid()), gCounter.fetch_add(1),
                      static_cast<unsigned>(random()));
        std::string name = ".";
        name += t.filename().string();
        name += suffix;
        temporaryPath = (folder / name).string();
        // 0666 less the umask, as any new file of the program; an existing file's mode is copied below.
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

void SyncFolder(const std::string& target) {
    const std::filesystem::path t(target);
    const std::string folder = t.has_parent_path() ? t.parent_path().string() : std::string(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A pipe or a character device (standard output given as "/dev/stdout", a terminal, a fifo)
// cannot be replaced by renaming a file over it: that would swap the link or device node for an
// ordinary file. It is written to as it stands. A fifo nobody reads is refused rather than waited
// for (the writer may be a station thread).
bool WriteDirectly(const std::string& path, std::string_view bytes, std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int saved = errno;
        return Fail(error, "cannot open " + path + (saved == ENXIO ? " (nothing reads it)" : ""), saved);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!WriteAll(fd, bytes)) {
        const int saved = errno;
        ::close(fd);
        return Fail(error, "cannot write " + path, saved);
    }
    ::close(fd);
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error, bool durable) {
    if (path.empty()) {
        return Fail(error, "no file name", ENOENT);
    }
    struct stat current {};
    if (::stat(path.c_str(), &current) == 0 && !S_ISREG(current.st_mode)) {
        if (S_ISFIFO(current.st_mode) || S_ISCHR(current.st_mode)) {
            return WriteDirectly(path, bytes, error);
        }
        return Fail(error, path + " is not a regular file", S_ISDIR(current.st_mode) ? EISDIR : EINVAL);
    }
    const std::string target = ResolveTarget(path);
    std::string temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) {
        return Fail(error, "cannot create a temporary file beside " + target, errno);
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
    }
    const bool sync = durable && gSync.load();
    if (!WriteAll(fd, bytes) || (sync && ::fsync(fd) != 0)) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return Fail(error, "cannot write " + temporary, saved);
    }
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        return Fail(error, "cannot write " + temporary, saved);
    }
    if (const AtomicWriteHook hook = gHook.load(); hook && !hook(temporary)) {
        return Fail(error, "write of " + target + " interrupted", EINTR);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        return Fail(error, "cannot replace " + target, saved);
    }
    if (sync) {
        SyncFolder(target);
    }
    return true;
}

AtomicWriteHook SetAtomicWriteHookForTesting(AtomicWriteHook hook) {
    return gHook.exchange(hook);
}

void SetAtomicWriteSyncForTesting(bool sync) {
    gSync.store(sync);
}

}  // namespace svu
