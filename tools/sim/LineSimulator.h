#pragma once

// Runs one of the simulated line-sending instruments on a pseudo-terminal, in the foreground for
// the stratavue-sim program or on a thread of its own for tests. Silence and a pulled cable are
// played here, the same for every instrument.

#include <cstdio>
#include <memory>
#include <string>

#include "sim/LineInstruments.h"
#include "sim/LineSimOptions.h"
#include "sim/PtySimulator.h"

namespace svu::sim {

class LineSimulator : public PtySimulator {
public:
    explicit LineSimulator(LineSimOptions options, Clock& clock = SystemClock());
    ~LineSimulator() override;

    /// Creates the pseudo-terminal (and the link and transcript when asked for); false with a message.
    bool Open(std::string* error) override;

private:
    void OnTurn(int64_t tick) override;
    void OnReceived(std::string_view bytes, int64_t tick) override;
    bool Silent(int64_t tick) const;
    void Flush();

    LineSimOptions options_;
    std::unique_ptr<LineInstrument> instrument_;
    std::FILE* transcript_ = nullptr;
};

}  // namespace svu::sim
