#pragma once

// Runs the simulated Direct station instrument on a pseudo-terminal, in the foreground for the
// stratavue-sim program or on a thread of its own for tests.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "framework/Clock.h"
#include "platform/PseudoTerminal.h"
#include "sim/DirectInstrument.h"
#include "sim/DirectSimOptions.h"

namespace svu::sim {

class DirectSimulator {
public:
    explicit DirectSimulator(DirectSimOptions options, Clock& clock = SystemClock());
    ~DirectSimulator();
    DirectSimulator(const DirectSimulator&) = delete;
    DirectSimulator& operator=(const DirectSimulator&) = delete;

    /// Creates the pseudo-terminal (and the link when asked for); false with a message.
    bool Open(std::string* error);
    /// What a station opens: the link when there is one, otherwise the pty's slave device.
    std::string DevicePath() const;
    /// The pty's slave device (changes when the simulated adapter is plugged in again).
    std::string SlavePath() const;

    /// Serves the line until stop is set.
    void Run(const std::atomic<bool>& stop);
    /// Open (when not yet) and Run on a thread of its own.
    bool Start(std::string* error);
    /// Ends the thread started by Start.
    void Stop();

    /// Messages about what happens (the instrument's actions, unplugging); called on the
    /// simulator's thread.
    void SetLog(std::function<void(const std::string&)> log);

    /// Makes the device vanish now (as if the adapter were pulled out) until PlugIn.
    void Unplug();
    /// Brings the device back under a new pseudo-terminal (the link follows it).
    bool PlugIn(std::string* error = nullptr);

    /// Runs f with the instrument, under the simulator's lock.
    template <class F>
    auto WithInstrument(F&& f) {
        std::lock_guard lock(mutex_);
        return f(*instrument_);
    }

private:
    void Step(int waitMs);
    void Send(const std::string& bytes);
    void Log(const std::string& text);

    DirectSimOptions options_;
    Clock& clock_;
    mutable std::mutex mutex_;
    std::unique_ptr<DirectInstrument> instrument_;
    PseudoTerminal pty_;
    bool plugged_ = false;
    int64_t startTick_ = 0;
    int64_t unpluggedAt_ = 0;
    int64_t pluggedAt_ = 0;
    std::function<void(const std::string&)> log_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace svu::sim
