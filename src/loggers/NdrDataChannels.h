#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "loggers/NdrChannel.h"
#include "loggers/NdrReplies.h"

namespace svu {

class FieldVisitor;
class NdrTransfer;

/// The logger's scan rates and its 64 channels.
class NDR_DataChannels {
public:
    static constexpr int kCommands = 2 + ndr::kChannels * NDR_Channel::kCommands;

    void VisitFields(FieldVisitor& v);
    bool ReadFromLogger(NdrTransfer& t);
    bool WriteToLogger(NdrTransfer& t) const;

    std::array<NDR_Channel, ndr::kChannels> channels;
    /// Seconds between scans, normally and in fast mode.
    int32_t scanRate = 10;
    int32_t fastScanRate = 5;

    bool operator==(const NDR_DataChannels&) const = default;
};

}  // namespace svu
