#include "platform/PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace svu {

namespace {

void SetError(std::string* error, const std::string& what, int err) {
    if (error != nullptr) {
        *error = what + ": " + std::strerror(err);
    }
}

}  // namespace

bool MakeTerminalRaw(int fd) {
    struct termios tio {};
    if (::tcgetattr(fd, &tio) != 0) {
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

PseudoTerminal::~PseudoTerminal() {
    Close();
}

bool PseudoTerminal::Open(std::string* error) {
    Close();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        SetError(error, "posix_openpt", errno);
        return false;
    }
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        SetError(error, "pseudo-terminal set-up", errno);
        ::close(master);
        return false;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        SetError(error, std::string("open ") + name, errno);
        ::close(master);
        return false;
    }
    // Raw before any client comes: the line discipline must neither echo nor edit lines.
    if (!MakeTerminalRaw(slave) || ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        SetError(error, "terminal mode", errno);
        ::close(slave);
        ::close(master);
        return false;
    }
    master_ = master;
    heldSlave_ = slave;
    slavePath_ = name;
    return true;
}

void PseudoTerminal::Close() {
    RemoveLink();
    if (heldSlave_ >= 0) {
        ::close(heldSlave_);
        heldSlave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    slavePath_.clear();
}

bool PseudoTerminal::CreateLink(const std::string& linkPath, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::symlink_status(linkPath, ec);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        if (error != nullptr) {
            *error = linkPath + " exists and is not a symbolic link";
        }
        return false;
    }
    // Made under a temporary name and renamed, so a client never finds the link missing.
    const std::string temporary = linkPath + ".tmp" + std::to_string(::getpid());
    fs::remove(temporary, ec);
    if (::symlink(slavePath_.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), linkPath.c_str()) != 0) {
        SetError(error, "symlink " + linkPath, errno);
        fs::remove(temporary, ec);
        return false;
    }
    linkPath_ = linkPath;
    return true;
}

void PseudoTerminal::RemoveLink() {
    if (linkPath_.empty()) {
        return;
    }
    std::error_code ec;
    if (std::filesystem::read_symlink(linkPath_, ec) == slavePath_) {
        std::filesystem::remove(linkPath_, ec);
    }
    linkPath_.clear();
}

}  // namespace svu
