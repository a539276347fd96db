#pragma once

#include <string>

#include "loggers/WSNDR.h"
#include "stations/ModemLine.h"

namespace svu {

/// Kind 10, "Calyra (Modem)": the data logger behind a dial-up modem. Once per call interval the
/// worker thread calls it, walks its menu into the command line, takes one real-time line and
/// hangs up, putting the logger's command format back first. Every logger operation of the cable
/// kind (download, clearing, the set-up transfers) works in a call of its own.
class WSCalyraModem : public WSNDR, public ModemCallSettings {
public:
    static constexpr int32_t kTypeCode = 10;
    static constexpr const char* kClassName = "WSCalyraModem";
    /// Lines looked at in one call before the call is given up.
    static constexpr int kLineAttempts = 5;

    WSCalyraModem();
    explicit WSCalyraModem(std::string stationName);
    ~WSCalyraModem() override;

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    /// The logger's set-up, then callInterval, baudRate, modemName, phoneNumber.
    void VisitKindFields(FieldVisitor& v) override;

    /// The first call is due at once.
    bool StartRealtime() override;
    bool StopRealtime() override { return true; }
    void ThreadFunction(StationHost& host) override;
    /// Restores the logger's command format and hangs up.
    void ClosePort() override;

    /// One call of the worker thread: dial, one real-time line, hang up. False when it failed.
    bool Call();
    ModemLine& Line() { return line_; }


protected:
    WSCalyraModem(const WSCalyraModem& other);
    /// Dials, asking the user first outside the worker thread.
    bool OpenLink() override;

private:
    /// Two escapes: the logger leaves real-time mode.
    void LeaveRealtime();

    ModemLine line_;
    bool inThread_ = false;
};

}  // namespace svu
