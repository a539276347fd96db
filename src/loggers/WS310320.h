#pragma once

#include <memory>
#include <string>

#include "loggers/FunctionDayFile.h"
#include "loggers/SoundLevelProtocol.h"
#include "platform/SerialLine.h"
#include "stations/WeatherStation.h"

namespace svu {

class Profile;
class SerialControl;

/// Kind 13, "310/320": a sound level meter. In standard mode the station polls it once a second
/// for its flags and levels; in online mode the meter sends period and profile function lines by
/// itself, which also go to the station's ".per" and ".pro" daily files.
class WS310320 : public WeatherStation {
public:
    static constexpr int32_t kTypeCode = 13;
    static constexpr const char* kClassName = "WS310320";
    /// Schema from which the record holds onlineMode.
    static constexpr int kOnlineModeSchema = 8;
    /// How long the meter may take to answer a poll.
    static constexpr int kAnswerTimeoutMs = 500;
    /// Polls StartRealtime makes before it gives up.
    static constexpr int kStartAttempts = 5;

    WS310320();
    explicit WS310320(std::string stationName);
    ~WS310320() override;

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    bool InitComms(StationHost& host) override;
    void ThreadFunction(StationHost& host) override;
    /// port, baudRate, resetOnRead, onlineMode (from schema 8).
    void VisitKindFields(FieldVisitor& v) override;
    /// Prepares the station after its record was read.
    void FitTables() override;
    bool StartRealtime() override;
    bool StopRealtime() override;
    void ClosePort() override;

    /// Opens the port of the current mode.
    bool OpenPort();
    /// One standard-mode poll: what was waiting is discarded, the command sent and the 8-byte
    /// answer decoded. False on a time-out or a wrong answer.
    bool PollLevels(bool reset, SoundLevels& levels);
    /// The next online line; false when the stop request came first.
    bool ReadOnlineLine(std::string& line);
    /// The standard mode's channel names.
    void SetStandardNames();
    /// Sizes a short channel table to the ten channels with the current mode's names and forgets
    /// the open period and profile days.
    void Prepare();

    /// The settings file whose [Ports] section maps port numbers to devices; by default the
    /// program folder's settings file.
    void SetPortSettingsPath(std::string path) { portSettingsPath_ = std::move(path); }

    int32_t port = 1;
    int32_t baudRate = 19200;
    int32_t resetOnRead = 1;
    int32_t onlineMode = 0;

    int32_t periodCount = 0;
    int32_t profileCount = 0;
    TimeT periodTime = 0;
    TimeT profileTime = 0;

protected:
    WS310320(const WS310320& other);

private:
    void CreateControl();
    void SetPortOpen(bool open);
    void PollStandard(StationHost& host);
    void ReadOnline();
    /// Online mode: the device went away; reopened at most once a second until it is back.
    bool RecoverOnlineLine();
    const Profile* PortSettings();
    UserInterface& Ui();

    std::unique_ptr<SerialControl> comm_;
    SerialLine serialLine_;
    OnlineLineReader reader_;
    FunctionDayFile periodFile_{".per", 0};
    FunctionDayFile profileFile_{".pro", kPeriodChannels};
    std::unique_ptr<Profile> portSettings_;
    std::string portSettingsPath_;
    bool lineLost_ = false;
    int64_t nextReopenMs_ = 0;
};

}  // namespace svu
