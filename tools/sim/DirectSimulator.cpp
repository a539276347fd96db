#include "sim/DirectSimulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace svu::sim {

namespace {

constexpr int kMaxWaitMs = 50;
constexpr int kWriteWaitMs = 200;

}  // namespace

DirectSimulator::DirectSimulator(DirectSimOptions options, Clock& clock) : options_(std::move(options)), clock_(clock) {
    instrument_ = std::make_unique<DirectInstrument>(options_, clock_.Now(), clock_.TickMs());
    instrument_->SetLog([this](const std::string& text) { Log(text); });
}

DirectSimulator::~DirectSimulator() {
    Stop();
}

void DirectSimulator::SetLog(std::function<void(const std::string&)> log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void DirectSimulator::Log(const std::string& text) {
    if (log_) {
        log_(text);
    }
}

bool DirectSimulator::Open(std::string* error) {
    std::lock_guard lock(mutex_);
    if (!pty_.Open(error)) {
        return false;
    }
    if (!options_.linkPath.empty() && !pty_.CreateLink(options_.linkPath, error)) {
        pty_.Close();
        return false;
    }
    plugged_ = true;
    startTick_ = pluggedAt_ = clock_.TickMs();
    return true;
}

std::string DirectSimulator::DevicePath() const {
    std::lock_guard lock(mutex_);
    return options_.linkPath.empty() ? pty_.SlavePath() : options_.linkPath;
}

std::string DirectSimulator::SlavePath() const {
    std::lock_guard lock(mutex_);
    return pty_.SlavePath();
}

void DirectSimulator::Unplug() {
    std::lock_guard lock(mutex_);
    if (plugged_) {
        pty_.Close();
        plugged_ = false;
        unpluggedAt_ = clock_.TickMs();
        Log("device unplugged");
    }
}

bool DirectSimulator::PlugIn(std::string* error) {
    std::lock_guard lock(mutex_);
    if (plugged_) {
        return true;
    }
    if (!pty_.Open(error) || (!options_.linkPath.empty() && !pty_.CreateLink(options_.linkPath, error))) {
        pty_.Close();
        return false;
    }
    plugged_ = true;
    pluggedAt_ = clock_.TickMs();
    Log("device plugged in again as " + pty_.SlavePath());
    return true;
}

void DirectSimulator::Send(const std::string& bytes) {
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

void DirectSimulator::Step(int waitMs) {
    int fd = -1;
    {
        std::lock_guard lock(mutex_);
        const int64_t tick = clock_.TickMs();
        if (options_.unplugAfter > 0 && plugged_ && tick - pluggedAt_ >= options_.unplugAfter * 1000LL) {
            pty_.Close();
            plugged_ = false;
            unpluggedAt_ = tick;
            Log("device unplugged");
        } else if (options_.unplugAfter > 0 && !plugged_ && tick - unpluggedAt_ >= options_.unplugFor * 1000LL) {
            if (pty_.Open(nullptr) && (options_.linkPath.empty() || pty_.CreateLink(options_.linkPath, nullptr))) {
                plugged_ = true;
                pluggedAt_ = tick;
                Log("device plugged in again as " + pty_.SlavePath());
            } else {
                pty_.Close();
                unpluggedAt_ = tick;
            }
        }
        if (plugged_) {
            const std::string out = instrument_->OnTick(clock_.Now(), tick);
            if (!out.empty()) {
                Send(out);
            }
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
    const int ready = ::poll(&pfd, 1, waitMs);
    if (ready <= 0) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (!plugged_ || pty_.MasterFd() != fd) {
        return;
    }
    char buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
        const std::string out =
            instrument_->OnInput(std::string_view(buffer, static_cast<std::size_t>(n)), clock_.Now(), clock_.TickMs());
        if (!out.empty()) {
            Send(out);
        }
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        // The slave is held open, so this is unexpected; never spin on it.
        clock_.SleepFor(std::chrono::milliseconds(waitMs));
    }
}

void DirectSimulator::Run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        Step(std::min(kMaxWaitMs, std::max(options_.periodMs / 4, 1)));
    }
}

bool DirectSimulator::Start(std::string* error) {
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

void DirectSimulator::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    pty_.Close();
    plugged_ = false;
}

}  // namespace svu::sim
