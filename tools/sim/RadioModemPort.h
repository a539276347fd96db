#pragma once

// One port of the simulated radio modem. It understands both ways stations tune it: the Hayes
// style "ATX" (channel), "ATT" (transmit address) and "ATR" (receive address) without line ends,
// and the W&D channel switch (eight preamble bytes, then 0x40, the channel and 0x95). Once tuned
// and addressed it relays the lines of the remote found there, one per period, until the port is
// closed or tuned again.

#include <cstdint>
#include <optional>
#include <string>

#include "sim/RadioAir.h"
#include "sim/SimDevice.h"

namespace svu::sim {

class RadioModemPort : public SimDevice {
public:
    RadioModemPort(RadioAir& air, int port, int64_t startTickMs);

    std::string OnInput(std::string_view bytes, int64_t tickMs) override;
    std::string OnTick(int64_t tickMs) override;
    void OnLineClosed(int64_t tickMs) override;

private:
    /// Takes the commands complete in pending_; false when more bytes are needed.
    bool TakeCommand(int64_t tickMs);
    void Tune(int64_t tickMs);
    void Select(const RadioRemote* remote, int64_t tickMs);
    std::string Line(const RadioRemote& remote, int64_t tickMs);

    RadioAir& air_;
    int port_;
    int64_t startTickMs_;
    std::string pending_;
    std::optional<std::size_t> turn_;
    int frequencyChannel_ = -1;
    const RadioRemote* remote_ = nullptr;
    int64_t nextLineMs_ = -1;
    int linesThisTurn_ = 0;
    bool preambleTuned_ = false;  // the preamble in pending_ has begun a turn
};

}  // namespace svu::sim
