#include "sim/PtySimulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace svu::sim {

namespace {
constexpr int kWriteWaitMs = 200;
}

PtySimulator::PtySimulator(PtyLineOptions line, Clock& clock) : clock_(clock), line_(std::move(line)) {}

PtySimulator::~PtySimulator() {
    // A simulator stops its thread in its own destructor, while its instrument still exists.
    Stop();
}

void PtySimulator::SetLog(std::function<void(const std::string&)> log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void PtySimulator::Log(const std::string& text) {
    if (log_) {
        log_(text);
    }
}

bool PtySimulator::Open(std::string* error) {
    std::lock_guard lock(mutex_);
    if (!pty_.Open(error)) {
        return false;
    }
    if (!line_.linkPath.empty() && !pty_.CreateLink(line_.linkPath, error)) {
        pty_.Close();
        return false;
    }
    plugged_ = true;
    startTick_ = pluggedAt_ = clock_.TickMs();
    return true;
}

std::string PtySimulator::DevicePath() const {
    std::lock_guard lock(mutex_);
    return line_.linkPath.empty() ? pty_.SlavePath() : line_.linkPath;
}

void PtySimulator::UnplugLocked(int64_t tick) {
    pty_.Close();
    plugged_ = false;
    unpluggedAt_ = tick;
    OnUnplugged();
    Log("device unplugged");
}

bool PtySimulator::PlugInLocked(int64_t tick, std::string* error) {
    if (!pty_.Open(error) || (!line_.linkPath.empty() && !pty_.CreateLink(line_.linkPath, error))) {
        pty_.Close();
        return false;
    }
    plugged_ = true;
    pluggedAt_ = tick;
    Log("device plugged in again as " + pty_.SlavePath());
    return true;
}

void PtySimulator::Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(pty_.MasterFd(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        struct pollfd pfd {
            pty_.MasterFd(), POLLOUT, 0
        };
        // Nobody reads the line: a real instrument's bytes would be lost as well.
        if (n < 0 && errno == EAGAIN && ::poll(&pfd, 1, kWriteWaitMs) > 0 && (pfd.revents & POLLOUT) != 0) {
            continue;
        }
        Log("output dropped: nobody is reading the line");
        return;
    }
}

void PtySimulator::Step(int waitMs) {
    int fd = -1;
    {
        std::lock_guard lock(mutex_);
        const int64_t tick = clock_.TickMs();
        if (line_.unplugAfter > 0 && plugged_ && tick - pluggedAt_ >= line_.unplugAfter * 1000LL) {
            UnplugLocked(tick);
        } else if (line_.unplugAfter > 0 && !plugged_ && tick - unpluggedAt_ >= line_.unplugFor * 1000LL) {
            if (!PlugInLocked(tick, nullptr)) {
                unpluggedAt_ = tick;
            }
        }
        if (plugged_) {
            OnTurn(tick);
            fd = pty_.MasterFd();
        }
    }
    if (fd < 0) {
        clock_.SleepFor(std::chrono::milliseconds(waitMs));
        return;
    }
    struct pollfd pfd {
        fd, POLLIN, 0
    };
    if (::poll(&pfd, 1, waitMs) <= 0) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (!plugged_ || pty_.MasterFd() != fd) {
        return;
    }
    char buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
        OnReceived(std::string_view(buffer, static_cast<std::size_t>(n)), clock_.TickMs());
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        // The slave is held open, so this is unexpected; never spin on it.
        clock_.SleepFor(std::chrono::milliseconds(waitMs));
    }
}

void PtySimulator::Run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        Step(std::min(line_.maxWaitMs, std::max(line_.periodMs / 4, 1)));
    }
}

bool PtySimulator::Start(std::string* error) {
    if (thread_.joinable()) {
        return true;
    }
    bool open = false;
    {
        std::lock_guard lock(mutex_);
        open = plugged_;
    }
    if (!open && !Open(error)) {
        return false;
    }
    stop_ = false;
    thread_ = std::thread([this] { Run(stop_); });
    return true;
}

void PtySimulator::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    pty_.Close();
    plugged_ = false;
}

}  // namespace svu::sim
