#include "sim/PtyDeviceRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace svu::sim {

namespace {

constexpr int kStepMs = 10;
constexpr int kWriteWaitMs = 200;

}  // namespace

PtyDeviceRunner::PtyDeviceRunner(SimDevice& device, Clock& clock) : device_(device), clock_(clock) {}

PtyDeviceRunner::~PtyDeviceRunner() {
    Stop();
}

bool PtyDeviceRunner::Open(const std::string& linkPath, std::string* error) {
    const auto fail = [&](const std::string& what) {
        if (error != nullptr) {
            *error = what + ": " + std::strerror(errno);
        }
        Close();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        return fail("posix_openpt");
    }
    char name[128] = {};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0) {
        return fail("pseudo-terminal set-up");
    }
    slavePath_ = name;
    // Raw from the start, so nothing is echoed or edited before a client sets the line up.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        return fail(std::string("open ") + name);
    }
    struct termios tio {};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (!linkPath.empty()) {
        const std::string temporary = linkPath + ".tmp" + std::to_string(::getpid());
        std::error_code ec;
        std::filesystem::remove(temporary, ec);
        if (::symlink(name, temporary.c_str()) != 0 || ::rename(temporary.c_str(), linkPath.c_str()) != 0) {
            return fail("symlink " + linkPath);
        }
        linkPath_ = linkPath;
    }
    return true;
}

void PtyDeviceRunner::Close() {
    if (!linkPath_.empty()) {
        std::error_code ec;
        std::filesystem::remove(linkPath_, ec);
        linkPath_.clear();
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PtyDeviceRunner::Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        struct pollfd pfd {
            master_, POLLOUT, 0
        };
        if (n < 0 && errno == EAGAIN && ::poll(&pfd, 1, kWriteWaitMs) > 0 && (pfd.revents & POLLOUT) != 0) {
            continue;
        }
        return;  // nobody reads the line: the bytes are lost, as on a real line
    }
}

void PtyDeviceRunner::Step(int waitMs) {
    {
        std::lock_guard lock(mutex_);
        const std::string out = device_.OnTick(clock_.TickMs());
        if (!out.empty() && clientOpen_) {
            Send(out);
        }
    }
    struct pollfd pfd {
        master_, POLLIN, 0
    };
    const int ready = ::poll(&pfd, 1, waitMs);
    bool hungUp = false;
    {
        std::lock_guard lock(mutex_);
        if (ready > 0 && (pfd.revents & POLLIN) != 0) {
            char buffer[512];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                clientOpen_ = true;
                const std::string out =
                    device_.OnInput(std::string_view(buffer, static_cast<std::size_t>(n)), clock_.TickMs());
                if (!out.empty()) {
                    Send(out);
                }
                return;
            }
        }
        // POLLHUP: no client has the slave open (any more).
        hungUp = ready > 0 && (pfd.revents & POLLHUP) != 0;
        if (hungUp && clientOpen_) {
            clientOpen_ = false;
            device_.OnLineClosed(clock_.TickMs());
        }
    }
    if (hungUp) {
        clock_.SleepFor(std::chrono::milliseconds(waitMs));  // poll would report it again at once
    }
}

void PtyDeviceRunner::Run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        Step(kStepMs);
    }
}

bool PtyDeviceRunner::Start(const std::string& linkPath, std::string* error) {
    if (thread_.joinable()) {
        return true;
    }
    if (master_ < 0 && !Open(linkPath, error)) {
        return false;
    }
    stop_ = false;
    thread_ = std::thread([this] { Run(stop_); });
    return true;
}

void PtyDeviceRunner::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    Close();
}

}  // namespace svu::sim
