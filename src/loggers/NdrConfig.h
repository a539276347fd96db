#pragma once

#include <cstdint>

namespace svu {

class FieldVisitor;
class NdrCommandLine;

/// The data logger's own set-up (logging rates, 64 channels, 16 alarms, two serial ports, the
/// modem, the PWM outputs), kept in the station's record and transferred over the logger's command
/// line.
class NDR {
public:
    /// The record inside the owning station's record; the visitor's schema is the station's, which
    /// decides the optional tail fields.
    void VisitFields(FieldVisitor& v);

    /// Reads the whole set-up, one command per setting; false when the link failed or the user
    /// cancelled (what was read so far is kept).
    bool ReadFromLogger(NdrCommandLine& line);
    /// Writes the whole set-up, ending with the command that makes the logger keep it.
    bool WriteToLogger(NdrCommandLine& line) const;

    /// 0 "Calyra (Default)", 1 "Emulation": the command format the modem station restores.
    int32_t commandFormat = 0;
};

}  // namespace svu
