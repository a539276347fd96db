#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace svu {

class FieldVisitor;
class NdrTransfer;

/// The logger's modem (always number 1): its dialling strings, result texts, times and
/// short-message settings.
class NDR_Modem {
public:
    /// The command names of the modem strings, in record and command order.
    static constexpr const char* kStringNames[] = {"smstatuson", "smstatusoff", "sminit", "smdial",      "smint",
                                                   "smhangup",   "smerror",     "smok",   "smbusy",      "smconnect",
                                                   "smnocarrier", "smnodial",   "smnoanswer"};
    static constexpr int kCommands = 25;

    /// The record; `prefix` names the fields in the text form ("modem.").
    void VisitFields(FieldVisitor& v, const std::string& prefix);
    bool ReadFromLogger(NdrTransfer& t);
    bool WriteToLogger(NdrTransfer& t) const;

    std::string text;
    uint8_t port = 1;
    std::array<std::string, 13> strings;
    uint8_t statusTime = 0;
    uint8_t initTime = 0;
    uint16_t connectTime = 0;
    uint8_t interruptTime = 0;
    uint8_t hangUpTime = 0;
    uint8_t enabled = 0;
    std::string smsText;
    std::string smsDial;
    std::string smsEnter;
    uint8_t smsEnterTime = 0;

    bool operator==(const NDR_Modem&) const = default;
};

}  // namespace svu
