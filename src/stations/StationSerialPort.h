#pragma once

// The serial line of a station that talks to its instrument over one port: the control is made on
// first use with its link events (device gone, back again) written to error.txt, and opened with
// the port table of the program's settings file.

#include <atomic>
#include <memory>
#include <string>

namespace svu {

class Profile;
class SerialControl;
class WeatherStation;

class StationSerialPort {
public:
    /// Link events are reported for `owner`.
    explicit StationSerialPort(WeatherStation& owner);
    /// A port of `owner` with the settings path of `other` (never its control).
    StationSerialPort(WeatherStation& owner, const StationSerialPort& other);
    ~StationSerialPort();
    StationSerialPort(const StationSerialPort&) = delete;
    StationSerialPort& operator=(const StationSerialPort&) = delete;

    /// The control, made when first asked for.
    SerialControl& Control();
    /// The control, or null before it was made.
    SerialControl* Get() const { return control_.get(); }
    /// Opens port `port` ("COM%i" in the port table) at `baudRate`, 8 data bits, no parity, one
    /// stop bit. False when it cannot be opened; reporting that is the station's.
    bool Open(int port, int baudRate);

    /// The settings file whose [Ports] section maps port numbers to devices; empty: the program's.
    void SetSettingsPath(std::string path) { settingsPath_ = std::move(path); }
    /// True once after the link came back since the last call.
    bool TakeLinkRestored() { return linkRestored_.exchange(false); }
    void ForgetLinkRestored() { linkRestored_.store(false); }

private:
    WeatherStation& owner_;
    std::unique_ptr<SerialControl> control_;
    std::unique_ptr<Profile> portTable_;
    std::string settingsPath_;
    std::atomic<bool> linkRestored_{false};
};

}  // namespace svu
