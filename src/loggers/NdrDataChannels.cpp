#include "loggers/NdrDataChannels.h"

#include "framework/FieldVisitor.h"
#include "loggers/NdrTransfer.h"

namespace svu {

void NDR_DataChannels::VisitFields(FieldVisitor& v) {
    for (size_t c = 0; c < channels.size(); ++c) {
        channels[c].VisitFields(v, "channel" + std::to_string(c + 1) + ".");
    }
    v.Int32("scanRate", scanRate);
    v.Int32("fastScanRate", fastScanRate);
}

bool NDR_DataChannels::ReadFromLogger(NdrTransfer& t) {
    if (!t.ReadInteger("slscanrate\r", scanRate) || !t.ReadInteger("slscanratefast\r", fastScanRate)) {
        return false;
    }
    for (size_t c = 0; c < channels.size(); ++c) {
        if (!channels[c].ReadFromLogger(t, static_cast<int>(c + 1))) {
            return false;
        }
    }
    return true;
}

bool NDR_DataChannels::WriteToLogger(NdrTransfer& t) const {
    if (!t.Send("slscanrate(" + std::to_string(scanRate) + ")\r") ||
        !t.Send("slscanratefast(" + std::to_string(fastScanRate) + ")\r")) {
        return false;
    }
    for (size_t c = 0; c < channels.size(); ++c) {
        if (!channels[c].WriteToLogger(t, static_cast<int>(c + 1))) {
            return false;
        }
    }
    return true;
}

}  // namespace svu
