#pragma once

// Runs the simulated Direct station instrument on a pseudo-terminal, in the foreground for the
// stratavue-sim program or on a thread of its own for tests.

#include <memory>
#include <string>

#include "sim/DirectInstrument.h"
#include "sim/DirectSimOptions.h"
#include "sim/PtySimulator.h"

namespace svu::sim {

class DirectSimulator : public PtySimulator {
public:
    explicit DirectSimulator(DirectSimOptions options, Clock& clock = SystemClock());
    ~DirectSimulator() override;

    /// The pty's slave device (changes when the simulated adapter is plugged in again).
    std::string SlavePath() const;

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
    void OnTurn(int64_t tick) override;
    void OnReceived(std::string_view bytes, int64_t tick) override;

    DirectSimOptions options_;
    std::unique_ptr<DirectInstrument> instrument_;
};

}  // namespace svu::sim
