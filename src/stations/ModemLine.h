#pragma once

// The telephone side of the dial-up station kinds: dialling the station's number on its modem
// (asking the user first when an operation of theirs needs a call), hanging up, and the worker
// thread's calls on the grid of the call interval, each under the modem's named mutex.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/LocalTime.h"

namespace svu {

class FieldVisitor;
class HayesModem;
class Profile;
class SerialControl;
class StationHost;
class WeatherStation;

/// The call settings every dial-up kind keeps, with the time of its next call.
struct ModemCallSettings {
    std::string phoneNumber;
    int32_t callInterval = 60;  // minutes
    std::string modemName;
    TimeT nextPoll = 0;

    /// callInterval, `baudRate` (the station's own), modemName, phoneNumber: the dial-up kinds'
    /// record tail.
    void VisitCallFields(FieldVisitor& v, int32_t& baudRate);
};

/// A host for the calls that want one but use none of it (making a station's serial control).
StationHost& UnusedStationHost();

class ModemLine {
public:
    /// The pause before a call that failed is made again.
    static constexpr int kRedialPauseMs = 3000;

    ModemLine();
    ~ModemLine();
    ModemLine(const ModemLine&) = delete;
    ModemLine& operator=(const ModemLine&) = delete;

    /// Calls phoneNumber on modemName through control unless a call is up. With ask, the user is
    /// asked first (No: false, nothing reported). A failure is reported as "Unable to establish
    /// modem connection" with the modem's answer.
    bool Dial(WeatherStation& station, SerialControl& control, const std::string& modemName,
              const std::string& phoneNumber, int baudRate, bool ask);
    /// Ends the call and closes the port.
    void HangUp();
    bool Connected() const;

    /// The settings file whose [Ports] section maps port numbers to devices (default: the
    /// program folder's).
    void SetPortSettingsPath(std::string path) { portSettingsPath_ = std::move(path); }
    const Profile* PortSettings();
    /// The named mutex of a modem: its device.
    std::string LockName(const std::string& modemName);

    /// nextPoll moved on by whole call intervals until it lies after now.
    static TimeT NextOnGrid(TimeT nextPoll, TimeT now, int callIntervalMinutes);

    /// The worker thread's loop: until the stop request, whenever nextPoll is due, runs `call`
    /// holding the named mutex lockName. `call` returns false when it failed, and the next one
    /// waits kRedialPauseMs.
    static void RunCalls(WeatherStation& station, StationHost& host, const std::string& lockName,
                         const TimeT& nextPoll, const std::function<bool()>& call);

private:
    std::unique_ptr<HayesModem> modem_;
    std::unique_ptr<Profile> portSettings_;
    std::string portSettingsPath_;
};

}  // namespace svu
