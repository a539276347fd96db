#pragma once

// The simulated data logger as a device behind the simulated modem's telephone line.

#include "sim/NdrLogger.h"
#include "sim/SimDevice.h"

namespace svu::sim {

class NdrBehindModem : public SimDevice {
public:
    explicit NdrBehindModem(NdrLoggerOptions options) : logger_(std::move(options)) {}
    std::string OnInput(std::string_view bytes, int64_t tickMs) override { return logger_.OnInput(bytes, tickMs); }
    std::string OnTick(int64_t tickMs) override { return logger_.OnTick(tickMs); }
    void OnLineClosed(int64_t) override {
        // Whatever the last caller left running, the next one finds the logger at its menu.
        logger_.Restart();
    }
    NdrLogger& Logger() { return logger_; }

private:
    NdrLogger logger_;
};

}  // namespace svu::sim
