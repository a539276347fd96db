#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "stations/WeatherStation.h"

namespace svu {

class Profile;
class SerialControl;

/// What the stations on the shared radio link have in common: no thread of their own but one turn
/// at a time in the runtime's radio chain. A turn opens the port, does the kind's exchange, closes
/// the port and hands the link on to the next station. Every wait of a turn ends early on the stop
/// request, and a stopped turn hands the link to nobody.
class SharedRadioStation : public WeatherStation {
public:
    /// How often a wait looks at the stop request.
    static constexpr int kStopLookMs = 50;

    ~SharedRadioStation() override;

    /// Creates the serial control; the port stays closed until the station's turn.
    bool InitComms(StationHost& host) override;
    /// One turn: the kind's RunTurn, the port closed, and the next station's turn started unless
    /// acquisition is stopping.
    void ThreadFunction(StationHost& host) final;
    void ClosePort() override;

    /// The settings file whose [Ports] section maps port numbers to devices; by default the
    /// program folder's settings file.
    void SetPortSettingsPath(std::string path) { portSettingsPath_ = std::move(path); }
    /// The serial control (created by InitComms or the first turn).
    SerialControl* Comm() { return comm_.get(); }

    int32_t port = 1;  // "COM%i"

protected:
    SharedRadioStation(int32_t kindCode);
    SharedRadioStation(int32_t kindCode, std::string stationName);
    SharedRadioStation(const SharedRadioStation& other);

    /// The kind's exchange during its turn (the port is closed afterwards whatever happened).
    virtual void RunTurn(StationHost& host) = 0;

    /// Opens the port with the line settings ("1200,n,8,1"). When it cannot be opened the user is
    /// told (once until it opens again) and the failure reported; false.
    bool OpenRadioPort(std::string_view settings);
    /// Sleeps `ms`, looking at the stop request meanwhile; false when it came.
    bool Pause(int ms);
    enum class WaitResult { Enough, Silent, Stopped };
    /// Waits until at least `count` bytes are waiting, looking every `lookMs` up to `looks` times.
    WaitResult WaitForBytes(int count, int lookMs, int looks);
    /// Reports "No data", "Real time data is corrupt".
    void ReportNoData();
    void ReportCorrupt();

private:
    void CreateControl();

    std::unique_ptr<SerialControl> comm_;
    std::unique_ptr<Profile> portSettings_;
    std::string portSettingsPath_;
    bool openFailing_ = false;  // the user has been told; quiet until the port opens again
};

}  // namespace svu
