#pragma once

// Serves a SimDevice on a pseudo-terminal. No descriptor of the slave is held, so the device
// notices when its client closes the port (as a modem notices DTR dropping).

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "framework/Clock.h"
#include "sim/SimDevice.h"

namespace svu::sim {

class PtyDeviceRunner {
public:
    PtyDeviceRunner(SimDevice& device, Clock& clock = SystemClock());
    ~PtyDeviceRunner();
    PtyDeviceRunner(const PtyDeviceRunner&) = delete;
    PtyDeviceRunner& operator=(const PtyDeviceRunner&) = delete;

    /// Creates the pseudo-terminal and, when linkPath is not empty, a symbolic link to its slave.
    bool Open(const std::string& linkPath, std::string* error);
    /// What a client opens: the link when there is one, otherwise the slave device.
    std::string DevicePath() const { return linkPath_.empty() ? slavePath_ : linkPath_; }

    /// Serves the line until stop is set.
    void Run(const std::atomic<bool>& stop);
    /// Open (when not yet) and Run on a thread of its own.
    bool Start(const std::string& linkPath, std::string* error);
    void Stop();

    /// Runs f with the device under the runner's lock.
    template <class F>
    auto WithDevice(F&& f) {
        std::lock_guard lock(mutex_);
        return f(device_);
    }

private:
    void Step(int waitMs);
    void Send(const std::string& bytes);
    void Close();

    SimDevice& device_;
    Clock& clock_;
    std::mutex mutex_;
    int master_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    bool clientOpen_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace svu::sim
