#pragma once

// A simulated device as a state machine without I/O: bytes in, bytes out, and the passing of
// time. PtyDeviceRunner serves one on a pseudo-terminal; the modem simulator puts one behind a
// telephone line.

#include <cstdint>
#include <string>
#include <string_view>

namespace svu::sim {

class SimDevice {
public:
    virtual ~SimDevice() = default;
    /// Bytes from the line; returns what the device sends back.
    virtual std::string OnInput(std::string_view bytes, int64_t tickMs) = 0;
    /// Time passing; returns what the device sends of its own accord.
    virtual std::string OnTick(int64_t tickMs) { return {}; }
    /// The far end went away (the device was closed, DTR dropped, the call ended).
    virtual void OnLineClosed(int64_t tickMs) {}
};

}  // namespace svu::sim
