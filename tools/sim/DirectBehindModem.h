#pragma once

// The Direct station's instrument as a device behind the simulated modem's telephone line.

#include "framework/Clock.h"
#include "sim/DirectInstrument.h"
#include "sim/SimDevice.h"

namespace svu::sim {

class DirectBehindModem : public SimDevice {
public:
    explicit DirectBehindModem(const DirectSimOptions& options, Clock& clock = SystemClock())
        : clock_(clock), instrument_(options, clock.Now(), clock.TickMs()) {}
    std::string OnInput(std::string_view bytes, int64_t tickMs) override {
        return instrument_.OnInput(bytes, clock_.Now(), tickMs);
    }
    std::string OnTick(int64_t tickMs) override { return instrument_.OnTick(clock_.Now(), tickMs); }
    void OnLineClosed(int64_t tickMs) override {
        // The next caller meets the menu: CAN abandons whatever the last one left running.
        instrument_.OnInput(std::string(1, '\x18'), clock_.Now(), tickMs);
    }
    const DirectInstrument& Instrument() const { return instrument_; }

private:
    Clock& clock_;
    DirectInstrument instrument_;
};

}  // namespace svu::sim
