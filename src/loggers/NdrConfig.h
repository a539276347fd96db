#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "loggers/NdrAlarm.h"
#include "loggers/NdrComms.h"
#include "loggers/NdrDataChannels.h"
#include "loggers/NdrModem.h"

namespace svu {

class FieldVisitor;
class NdrCommandLine;
class NdrTransfer;

/// One of the logger's two pulse-width-modulated outputs.
struct NdrPwmOutput {
    int32_t enabled = 0;
    uint8_t inputChannel = 1;
    bool operator==(const NdrPwmOutput&) const = default;
};

/// The data logger's own set-up (logging rates, 64 channels, 16 alarms, two serial ports, the
/// modem, the PWM outputs), kept in the station's record and transferred over the logger's command
/// line.
class NDR {
public:
    /// Commands that a read sends.
    static constexpr int kReadCommands = 6 + 4 + 2 * NDR_Comms::kCommands + NDR_DataChannels::kCommands +
                                         ndr::kAlarms * NDR_Alarm::kCommands + NDR_Modem::kCommands + 3;

    /// The record inside the owning station's record; the visitor's schema is the station's, which
    /// decides the optional tail fields.
    void VisitFields(FieldVisitor& v);

    /// Reads the whole set-up, one command per setting; false when the link failed or the user
    /// cancelled (what was read so far is kept).
    bool ReadFromLogger(NdrCommandLine& line);
    /// Writes the whole set-up, ending with the command that makes the logger keep it.
    bool WriteToLogger(NdrCommandLine& line) const;
    /// Commands that a write sends (disabled alarms send one; each special command one).
    int WriteCommandCount() const;
    /// The special commands that a write sends: each piece of the text before a line feed.
    std::vector<std::string> SpecialCommandLines() const;

    /// What the last read or write could not take or send: replies that fitted no vocabulary
    /// (those settings kept their values) and stored values that have no command word.
    const std::vector<std::string>& TransferProblems() const { return transferProblems_; }

    std::array<NDR_Comms, 2> comms;
    NDR_DataChannels dataChannels;
    std::array<NDR_Alarm, ndr::kAlarms> alarms;
    NDR_Modem modem;
    uint16_t loggerNumber = 1;
    std::string loggerText;
    int32_t loggingEnabled = 1;
    /// Seconds between logged records, normally and in fast mode.
    int32_t logRate = 600;
    int32_t fastLogRate = 60;
    int32_t alarmMode = 0;
    std::array<NdrPwmOutput, 2> pwm;
    int32_t autoMode = 0;
    uint16_t autoIdle = 0;
    uint16_t autoInterval = 0;
    /// Commands the user wants sent as they stand, one per line.
    std::string specialCommands;
    /// 0 "Calyra (Default)", 1 "Emulation": the command format the modem station restores.
    int32_t commandFormat = 0;

    /// Equal settings (the transfer problems are not settings).
    bool operator==(const NDR& other) const;

private:
    bool ReadGeneral(NdrTransfer& t);
    bool WriteGeneral(NdrTransfer& t) const;

    mutable std::vector<std::string> transferProblems_;
};

}  // namespace svu
