#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "loggers/NdrReplies.h"

namespace svu {

class FieldVisitor;
class NdrTransfer;

/// One of the data logger's own alarms.
class NDR_Alarm {
public:
    static constexpr const char* kTests[] = {"none", "eq", "neq", "gt", "lt", "ltorgt", "gtandlt"};
    static constexpr const char* kActions[] = {"none", "or", "and"};
    /// The flags after "enabled", in command order.
    static constexpr const char* kFlagNames[] = {"sound", "digital", "value", "fast", "phone", "sms"};
    /// Settings read and written per alarm (one command each); a disabled alarm skips all but one.
    static constexpr int kCommands = 22;

    /// The record; `prefix` names the fields in the text form ("alarm7.").
    void VisitFields(FieldVisitor& v, const std::string& prefix);

    bool ReadFromLogger(NdrTransfer& t, int a);
    bool WriteToLogger(NdrTransfer& t, int a) const;
    /// The commands a write of this alarm sends.
    int WriteCommands() const { return enabled > 0 ? kCommands : 1; }

    std::string text;
    int32_t enabled = 0;
    int32_t sound = 0;
    int32_t digital = 0;
    int32_t value = 0;
    int32_t fast = 0;
    int32_t phone = 0;
    int32_t inputChannel = 1;
    uint32_t test = 0;
    uint32_t action = 0;
    double limitLow = 0;
    double limitHigh = 0;
    uint16_t delayOn = 0;
    uint16_t delayOff = 0;
    uint32_t dataOutput = 1;
    double valueOn = 0;
    double valueOff = 0;
    std::string telephone;
    int32_t sms = 0;
    std::array<std::string, 4> smsNumbers;
    ndr::ChannelFlags channelList{};
    uint8_t digitalOutput = 0;

    bool operator==(const NDR_Alarm&) const = default;

private:
    int32_t* Flag(int i);
    const int32_t* Flag(int i) const { return const_cast<NDR_Alarm*>(this)->Flag(i); }
};

}  // namespace svu
