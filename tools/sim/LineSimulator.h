#pragma once

// Runs one of the simulated line-sending instruments on a pseudo-terminal, in the foreground for
// the stratavue-sim program or on a thread of its own for tests. Silence and a pulled cable are
// played here, the same for every instrument.

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "framework/Clock.h"
#include "platform/PseudoTerminal.h"
#include "sim/LineInstruments.h"
#include "sim/LineSimOptions.h"

namespace svu::sim {

class LineSimulator {
public:
    explicit LineSimulator(LineSimOptions options, Clock& clock = SystemClock());
    ~LineSimulator();
    LineSimulator(const LineSimulator&) = delete;
    LineSimulator& operator=(const LineSimulator&) = delete;

    /// Creates the pseudo-terminal (and the link and transcript when asked for); false with a message.
    bool Open(std::string* error);
    /// What a station opens: the link when there is one, otherwise the pty's slave device.
    std::string DevicePath() const;
    /// Serves the line until stop is set.
    void Run(const std::atomic<bool>& stop);
    /// Open (when not yet) and Run on a thread of its own.
    bool Start(std::string* error);
    /// Ends the thread started by Start.
    void Stop();
    /// Messages about what happens; called on the simulator's thread.
    void SetLog(std::function<void(const std::string&)> log);

private:
    void Step(int waitMs);
    bool Silent(int64_t tick) const;
    void Send(const std::string& bytes);
    void Flush();
    void Log(const std::string& text);

    LineSimOptions options_;
    Clock& clock_;
    mutable std::mutex mutex_;
    std::unique_ptr<LineInstrument> instrument_;
    PseudoTerminal pty_;
    std::FILE* transcript_ = nullptr;
    bool plugged_ = false;
    int64_t startTick_ = 0;
    int64_t unpluggedAt_ = 0;
    int64_t pluggedAt_ = 0;
    std::function<void(const std::string&)> log_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace svu::sim
