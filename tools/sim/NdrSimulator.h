#pragma once

// Runs the simulated data logger on a pseudo-terminal, in the foreground for stratavue-sim or on a
// thread of its own for tests. Silence and a pulled cable are played here; the set-up it holds can
// live in a file that survives it.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/Clock.h"
#include "platform/PseudoTerminal.h"
#include "sim/NdrLogger.h"

namespace svu::sim {

struct NdrSimOptions {
    NdrLoggerOptions logger;
    bool silent = false;         ///< never answers
    int unplugAfter = 0;         ///< seconds before the device vanishes (0: never)
    int unplugFor = 5;           ///< seconds until it comes back under a new pty
    std::string linkPath;        ///< symbolic link kept pointing at the device
    std::string transcript;      ///< file to which every good real-time value line sent is appended
    std::string configFile;      ///< the set-up: loaded at start, rewritten after every change
    std::string memoryFile;      ///< the memory image is written here at start
    bool verbose = false;
};

/// Reads the options after "ndr"; false with a message. help is set for --help.
bool ParseNdrSimOptions(const std::vector<std::string>& args, NdrSimOptions& options, bool& help, std::string& error);
const char* NdrSimHelp();

class NdrSimulator {
public:
    explicit NdrSimulator(NdrSimOptions options, Clock& clock = SystemClock());
    ~NdrSimulator();
    NdrSimulator(const NdrSimulator&) = delete;
    NdrSimulator& operator=(const NdrSimulator&) = delete;

    /// Loads the set-up, writes the memory file, creates the pseudo-terminal; false with a message.
    bool Open(std::string* error);
    std::string DevicePath() const;
    /// Serves the line until stop is set.
    void Run(const std::atomic<bool>& stop);
    bool Start(std::string* error);
    void Stop();
    /// Runs f with the logger under the simulator's lock.
    template <class F>
    auto WithLogger(F&& f) {
        std::lock_guard lock(mutex_);
        return f(logger_);
    }

private:
    void Step(int waitMs);
    void Send(const std::string& bytes);
    void SaveConfig();
    void Log(const std::string& text);

    NdrSimOptions options_;
    Clock& clock_;
    mutable std::mutex mutex_;
    NdrLogger logger_;
    PseudoTerminal pty_;
    bool plugged_ = false;
    int64_t unpluggedAt_ = 0;
    int64_t pluggedAt_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace svu::sim
