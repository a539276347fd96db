#pragma once

#include <cstdint>
#include <string>

namespace svu {

class FieldVisitor;
class NdrTransfer;

/// One of the logger's two serial ports.
class NDR_Comms {
public:
    static constexpr const char* kParities[] = {"none", "odd", "even"};
    static constexpr const char* kFlows[] = {"none", "software"};
    static constexpr int kCommands = 5;

    /// The record; `prefix` names the fields in the text form ("port1.").
    void VisitFields(FieldVisitor& v, const std::string& prefix);
    bool ReadFromLogger(NdrTransfer& t, int p);
    bool WriteToLogger(NdrTransfer& t, int p) const;

    int32_t baudRate = 9600;
    uint8_t dataBits = 8;
    uint8_t stopBits = 1;
    uint32_t parity = 0;
    uint32_t flow = 0;

    bool operator==(const NDR_Comms&) const = default;
};

}  // namespace svu
