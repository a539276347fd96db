#pragma once

// A lock shared by every station of every running copy of the program that uses one serial port
// or one modem: an advisory lock (flock) on a lock file per name in the runtime folder. The
// operating system releases it when its holder ends, however it ends.

#include <functional>
#include <string>

namespace svu {

class NamedMutex {
public:
    /// A mutex named `name` (any text; it is turned into a file name) in `folder`; an empty folder
    /// means DefaultFolder().
    explicit NamedMutex(const std::string& name, std::string folder = {});
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    /// Waits until the lock is held; gives up (false) when `cancel` turns true or the lock file
    /// cannot be made.
    bool Lock(const std::function<bool()>& cancel = {});
    /// Takes the lock only when it is free at once.
    bool TryLock();
    void Unlock();
    bool Held() const { return held_; }

    /// The lock file.
    const std::string& Path() const { return path_; }
    /// Why the lock file could not be made, after a failed Lock.
    const std::string& Error() const { return error_; }

    /// $STRATAVUE_RUNTIME_DIR, else $XDG_RUNTIME_DIR/stratavue, else /tmp/stratavue-UID.
    static std::string DefaultFolder();
    /// The file name a mutex name gets: letters, digits, "-" and "." kept, everything else "_".
    static std::string FileName(const std::string& name);

private:
    bool OpenFile();

    std::string path_;
    std::string folder_;
    std::string error_;
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace svu
