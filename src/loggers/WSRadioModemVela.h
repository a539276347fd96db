#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"
#include "loggers/SharedRadioStation.h"

namespace svu {

/// Kind 3, "Radio Modem (Vela)": a remote station reached through a radio modem. On its turn the
/// modem is tuned to the station's frequency ("ATX"), the transmit and receive addresses are set
/// ("ATT", "ATR") and one reading line "dd/mm/yyyy,hh:mm:ss,v1,...,vR" is awaited.
class WSRadioModemVela : public SharedRadioStation {
public:
    static constexpr int32_t kTypeCode = 3;
    static constexpr const char* kClassName = "WSRadioModemVela";
    /// Replies a turn looks at before it gives up.
    static constexpr int kAttempts = 5;
    /// Looks (50 ms apart) at the line before a silent remote is reported.
    static constexpr int kSilentLooks = 200;

    WSRadioModemVela();
    explicit WSRadioModemVela(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    /// baudRate, port, address, frequency, extra, then radioType (records of schema 9 on).
    void VisitKindFields(FieldVisitor& v) override;
    /// Sends the command, waits 90 ms and discards what came back.
    bool SendOnly(const std::string& command) override;

    /// Opens the port and tunes the modem: frequency, transmit address 0, receive address.
    bool TuneRadio();
    /// Closes the port.
    void ReleaseRadio() { ClosePort(); }

    int32_t baudRate = 9600;
    int32_t address = 1;         // "ATR%02i"
    float frequency = 458.525f;  // MHz
    int32_t extra = 0;           // carried in the record only
    int32_t radioType = 0;       // 0: "ATX" + one character, 1: "ATX" + two digits

protected:
    WSRadioModemVela(const WSRadioModemVela&) = default;
    /// For the kinds that reach another remote through the same modem.
    WSRadioModemVela(int32_t kindCode, std::string stationName);
    void RunTurn(StationHost& host) override;
    /// A command to the modem: sent, then 90 ms later what came back is discarded.
    bool SendModemCommand(const std::string& command);
    /// The transmit address sent with "ATT" when tuning (this kind's remotes listen on 0).
    virtual int32_t TransmitAddress() const { return 0; }
};

/// The tuning command for a frequency in MHz: "ATX" and one character (radio type 0) or two
/// digits (type 1) for the channel number counted in 25 kHz steps from 458.525 MHz. The
/// frequency is taken as stored, in single precision. Empty when the channel cannot be sent.
std::string VelaTuneCommand(float frequency, int radioType);

/// A reply as received, reduced to the reading line: controls removed and, when a "/" stands
/// further in than position 2, the characters before its day dropped.
std::string AlignVelaReply(std::string_view reply);

/// Checks a reading line for `rawChannels` values; when it is sound fills the time and the values.
bool ParseVelaRadioLine(std::string_view line, int rawChannels, TimeT& time, std::vector<std::string>& values);

}  // namespace svu
