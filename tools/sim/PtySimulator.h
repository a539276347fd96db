#pragma once

// What every simulated serial instrument shares: a pseudo-terminal (with an optional symbolic link
// kept pointing at it), a device that can vanish and come back under a new pty, and the loop that
// serves the line, in the foreground or on a thread of its own. A simulator supplies what its
// instrument sends on each turn and how it answers what it receives.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "framework/Clock.h"
#include "platform/PseudoTerminal.h"

namespace svu::sim {

/// The line settings a simulator gives its base.
struct PtyLineOptions {
    std::string linkPath;  ///< symbolic link kept pointing at the device (empty: none)
    int periodMs = 1000;   ///< the instrument's own period; the loop looks at the line four times as often
    int unplugAfter = 0;   ///< seconds before the device vanishes (0: never)
    int unplugFor = 5;     ///< seconds until it comes back under a new pty
    int maxWaitMs = 50;    ///< longest look at the line in one turn
};

class PtySimulator {
public:
    virtual ~PtySimulator();
    PtySimulator(const PtySimulator&) = delete;
    PtySimulator& operator=(const PtySimulator&) = delete;

    /// Creates the pseudo-terminal (and the link when asked for); false with a message.
    virtual bool Open(std::string* error);
    /// What a station opens: the link when there is one, otherwise the pty's slave device.
    std::string DevicePath() const;
    /// Serves the line until stop is set.
    void Run(const std::atomic<bool>& stop);
    /// Open (when not yet) and Run on a thread of its own.
    bool Start(std::string* error);
    /// Ends the thread started by Start and closes the device.
    void Stop();
    /// Messages about what happens; called on the simulator's thread.
    void SetLog(std::function<void(const std::string&)> log);

protected:
    PtySimulator(PtyLineOptions line, Clock& clock);

    /// What the instrument does on its own at `tick` (mutex held, device plugged in).
    virtual void OnTurn(int64_t tick) = 0;
    /// What it does with bytes received (mutex held).
    virtual void OnReceived(std::string_view bytes, int64_t tick) = 0;
    /// The device has just vanished (mutex held): an instrument that loses power starts afresh.
    virtual void OnUnplugged() {}

    // With the mutex held:
    void Log(const std::string& text);
    /// Writes to the line; what nobody reads is dropped after a short wait, as on a real line.
    void Send(const std::string& bytes);
    void UnplugLocked(int64_t tick);
    /// A new pty (and link) for the device; false, with the device still away, when it fails.
    bool PlugInLocked(int64_t tick, std::string* error);

    Clock& clock_;
    mutable std::mutex mutex_;
    PseudoTerminal pty_;
    bool plugged_ = false;
    int64_t startTick_ = 0;

private:
    void Step(int waitMs);

    PtyLineOptions line_;
    int64_t unpluggedAt_ = 0;
    int64_t pluggedAt_ = 0;
    std::function<void(const std::string&)> log_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace svu::sim
