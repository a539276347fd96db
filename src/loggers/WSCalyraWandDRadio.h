#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"
#include "loggers/SharedRadioStation.h"

namespace svu {

/// Kind 11, "Calyra (Wood & Douglas radio)": a data logger's real-time lines received through a
/// Wood & Douglas radio modem. On its turn the port is opened at 1200 baud, the modem is switched
/// to the station's radio channel and one checksummed line is awaited. No logger operations.
class WSCalyraWandDRadio : public SharedRadioStation {
public:
    static constexpr int32_t kTypeCode = 11;
    static constexpr const char* kClassName = "WSCalyraWandDRadio";
    static constexpr int kAttempts = 5;
    /// Looks (100 ms apart) at the line before a silent logger is reported.
    static constexpr int kSilentLooks = 600;
    /// How long one line may take to arrive.
    static constexpr int kLineTimeoutMs = 2500;
    static constexpr int kMaxRadioChannel = 127;

    WSCalyraWandDRadio();
    explicit WSCalyraWandDRadio(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    /// port, then radioChannel as one byte.
    void VisitKindFields(FieldVisitor& v) override;

    /// Opens the port (1200 baud) and selects the radio channel; an open port is taken as set.
    bool OpenRadio();
    void CloseRadio() { ClosePort(); }
    /// Reads up to a carriage return within the line time-out; controls are removed and empty
    /// lines passed over. False when no line came in time.
    bool ReadRadioLine(std::string& line);

    uint8_t radioChannel = 0;  // 0 .. 127

protected:
    WSCalyraWandDRadio(const WSCalyraWandDRadio&) = default;
    void RunTurn(StationHost& host) override;
};

/// Checks a logger's real-time line for `rawChannels` values ("dd/mm/yyyy,hh:mm:ss,v1,...,vR,CS"
/// with CS the two-digit hexadecimal sum of the characters before ",CS"), after dropping what
/// stands before its day; when it is sound fills the time and the values.
bool ParseWandDLine(std::string_view line, int rawChannels, TimeT& time, std::vector<std::string>& values);

}  // namespace svu
