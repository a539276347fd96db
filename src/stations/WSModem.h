#pragma once

#include <string>

#include "stations/ModemLine.h"
#include "stations/WSDirect.h"

namespace svu {

/// Kind 1, "Modem": the Direct station's instrument behind a dial-up modem. Once per call
/// interval the worker thread calls it, takes one checked real-time line from its "Sensor
/// monitor" and hangs up; every instrument operation of the Direct station works in a call of
/// its own, after the user agreed to phone out.
class WSModem : public WSDirect, public ModemCallSettings {
public:
    static constexpr int32_t kTypeCode = 1;
    static constexpr const char* kClassName = "WSModem";

    WSModem();
    explicit WSModem(std::string stationName);
    ~WSModem() override;

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    void ThreadFunction(StationHost& host) override;
    /// The first call is due at once.
    bool StartRealtime() override;
    bool StopRealtime() override { return true; }
    /// Dials (asking the user first, outside the worker thread) unless a call is up.
    bool OpenPort() override;
    /// Hangs up.
    void ClosePort() override;
    /// callInterval, baudRate, modemName, phoneNumber.
    void VisitKindFields(FieldVisitor& v) override;

    /// One call of the worker thread: dial, one real-time line, hang up. False when it failed.
    bool Call();
    ModemLine& Line() { return line_; }


protected:
    WSModem(const WSModem& other);

private:
    /// The next acceptable real-time line, within the reply time-out.
    bool ReadRealtimeLine(direct::RealtimeReading& reading);

    ModemLine line_;
    bool inThread_ = false;
};

}  // namespace svu
