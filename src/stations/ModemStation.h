#pragma once

#include <memory>

#include "stations/ModemLine.h"
#include "stations/WeatherStation.h"

namespace svu {

class SerialControl;

/// What the dial-up kinds with a protocol of their own share: the modem settings and their
/// record, the serial control used as modem, dialling and hanging up.
class ModemStation : public WeatherStation, public ModemCallSettings {
public:
    ~ModemStation() override;
    /// Creates the serial control.
    bool InitComms(StationHost& host) override;
    /// Hangs up.
    void ClosePort() override;
    /// callInterval, baudRate, modemName, phoneNumber.
    void VisitKindFields(FieldVisitor& v) override;

    /// Calls the station unless a call is up; with ask, the user is asked first.
    bool Dial(bool ask);
    void HangUp();
    ModemLine& Line() { return line_; }
    SerialControl* Comm() { return comm_.get(); }

    int32_t baudRate = 9600;

protected:
    ModemStation();
    explicit ModemStation(std::string stationName);
    /// Copies the settings; the copy has its own control.
    ModemStation(const ModemStation& other);

private:
    std::unique_ptr<SerialControl> comm_;
    ModemLine line_;
};

}  // namespace svu
