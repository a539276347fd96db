#pragma once

// Runs the simulated data logger on a pseudo-terminal, in the foreground for stratavue-sim or on a
// thread of its own for tests. Silence and a pulled cable are played here; the set-up it holds can
// live in a file that survives it.

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Clock.h"
#include "sim/NdrLogger.h"
#include "sim/PtySimulator.h"

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

class NdrSimulator : public PtySimulator {
public:
    explicit NdrSimulator(NdrSimOptions options, Clock& clock = SystemClock());
    ~NdrSimulator() override;

    /// Loads the set-up, writes the memory file, creates the pseudo-terminal; false with a message.
    bool Open(std::string* error) override;
    /// Runs f with the logger under the simulator's lock.
    template <class F>
    auto WithLogger(F&& f) {
        std::lock_guard lock(mutex_);
        return f(logger_);
    }

private:
    void OnTurn(int64_t tick) override;
    void OnReceived(std::string_view bytes, int64_t tick) override;
    void OnUnplugged() override;
    void SaveConfig();

    NdrSimOptions options_;
    NdrLogger logger_;
};

}  // namespace svu::sim
