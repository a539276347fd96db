#include "sim/LineSimulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace svu::sim {

namespace {

constexpr int kMaxWaitMs = 20;
constexpr int kWriteWaitMs = 200;

}  // namespace

LineSimulator::LineSimulator(LineSimOptions options, Clock& clock) : options_(std::move(options)), clock_(clock) {
    instrument_ = MakeLineInstrument(options_, clock_.Now(), clock_.TickMs());
}

LineSimulator::~LineSimulator() {
    Stop();
    if (transcript_ != nullptr) {
        std::fclose(transcript_);
    }
}

void LineSimulator::SetLog(std::function<void(const std::string&)> log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void LineSimulator::Log(const std::string& text) {
    if (log_) {
        log_(text);
    }
}

bool LineSimulator::Open(std::string* error) {
    std::lock_guard lock(mutex_);
    if (!options_.transcript.empty() && transcript_ == nullptr) {
        transcript_ = std::fopen(options_.transcript.c_str(), "a");
        if (transcript_ == nullptr) {
            if (error != nullptr) {
                *error = "cannot write " + options_.transcript;
            }
            return false;
        }
    }
    if (!pty_.Open(error)) {
        return false;
    }
    if (!options_.linkPath.empty() && !pty_.CreateLink(options_.linkPath, error)) {
        pty_.Close();
        return false;
    }
    plugged_ = true;
    startTick_ = pluggedAt_ = clock_.TickMs();
    Log("device " + pty_.SlavePath());
    return true;
}

std::string LineSimulator::DevicePath() const {
    std::lock_guard lock(mutex_);
    return options_.linkPath.empty() ? pty_.SlavePath() : options_.linkPath;
}

bool LineSimulator::Silent(int64_t tick) const {
    if (options_.silent) {
        return true;
    }
    if (options_.silenceAfter <= 0 || options_.silenceFor <= 0) {
        return false;
    }
    const int64_t cycle = (options_.silenceAfter + options_.silenceFor) * 1000LL;
    return (tick - startTick_) % cycle >= options_.silenceAfter * 1000LL;
}

void LineSimulator::Send(const std::string& bytes) {
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

// Transcript entries and messages of what was just sent (mutex held).
void LineSimulator::Flush() {
    for (const std::string& entry : instrument_->TakeTranscript()) {
        if (transcript_ != nullptr) {
            std::fprintf(transcript_, "%s\n", entry.c_str());
        }
        if (options_.verbose) {
            Log("sent " + entry);
        }
    }
    if (transcript_ != nullptr) {
        std::fflush(transcript_);
    }
    for (const std::string& text : instrument_->TakeLog()) {
        Log(text);
    }
}

void LineSimulator::Step(int waitMs) {
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
            if (!Silent(tick) && !out.empty()) {
                Flush();  // the transcript is written before the bytes, so a reader never sees them first
                Send(out);
            } else {
                instrument_->TakeTranscript();  // not sent, so not in the transcript
                instrument_->TakeLog();
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
        const int64_t tick = clock_.TickMs();
        if (Silent(tick)) {
            return;  // heard nothing
        }
        const std::string out =
            instrument_->OnInput(std::string_view(buffer, static_cast<std::size_t>(n)), clock_.Now(), tick);
        Flush();
        if (!out.empty()) {
            Send(out);
        }
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        clock_.SleepFor(std::chrono::milliseconds(waitMs));
    }
}

void LineSimulator::Run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        Step(std::min(kMaxWaitMs, std::max(options_.periodMs / 4, 1)));
    }
}

bool LineSimulator::Start(std::string* error) {
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

void LineSimulator::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    pty_.Close();
    plugged_ = false;
}

}  // namespace svu::sim
