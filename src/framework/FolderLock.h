#pragma once

// One acquiring copy per program folder. Two copies acquiring from the same stations would log
// every record twice and raise every alarm twice, so acquisition holds an advisory lock on a file
// in the program folder. The system releases it when the process ends, however it ends.

#include <string>
#include <sys/types.h>

namespace svu {

/// The lock file's name in the program folder.
inline constexpr const char* kFolderLockFileName = "stratavue.lock";

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock() { Release(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    /// Takes the lock of `folder`. False when another process holds it (`holder` is then its
    /// process id, or 0 when unknown) or the lock file cannot be created (`error` says why).
    bool Acquire(const std::string& folder, pid_t& holder, std::string& error);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace svu
