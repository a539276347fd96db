#pragma once

#include <memory>
#include <string>

#include "stations/SerialScript.h"
#include "stations/WeatherStation.h"

namespace svu {

class HayesModem;
class Profile;
class SerialControl;

/// Kind 14, "Generic (Serial)": an instrument read through the user's own scripts, over a serial
/// line or a modem call. Each poll takes the port's (or modem's) named mutex, opens the
/// connection, runs the connect and real-time scripts, stores the values of the last mask, runs
/// the disconnect script and closes the connection.
class WSGenericSerial : public WeatherStation {
public:
    static constexpr int32_t kTypeCode = 14;
    static constexpr const char* kClassName = "WSGenericSerial";
    /// Values of `connection`.
    static constexpr int32_t kSerial = 1;
    static constexpr int32_t kModem = 2;
    /// The pause after a poll that failed, before a serial connection is polled again.
    static constexpr int kRetryPauseMs = 1000;
    /// The pause before a serial port that could not be opened is tried again.
    static constexpr int kReopenPauseMs = 5000;
    /// How long an operation of the user's (setting the clock) may take at most.
    static constexpr int kOperationLimitMs = 120000;

    WSGenericSerial();
    explicit WSGenericSerial(std::string stationName);
    ~WSGenericSerial() override;

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    bool InitComms(StationHost& host) override;
    void ThreadFunction(StationHost& host) override;
    bool StartRealtime() override;
    void ClosePort() override;
    /// Runs the "Set clock" script in a connection of its own.
    void SetClock() override;
    /// port, baudRate, callInterval, connection, phoneNumber, modemName and the four scripts.
    void VisitKindFields(FieldVisitor& v) override;
    /// The channel-type table always has N entries.
    void FitTables() override;

    /// One poll: open, connect and real-time scripts, store, disconnect script, close. True when
    /// a reading was stored. The named mutex is the caller's.
    bool Poll();
    /// The name of the named mutex: the device of the port, or of the modem.
    std::string LockName();
    /// The settings file whose [Ports] section maps port numbers to devices.
    void SetPortSettingsPath(std::string path) { portSettingsPath_ = std::move(path); }
    /// What the last poll's scripts left: received bytes, result, checksum.
    const ScriptState& Script() const { return script_; }

    int32_t baudRate = 9600;
    int32_t port = 1;
    int32_t callInterval = 60;  // minutes, modem connection
    std::string phoneNumber;
    std::string modemName;
    TimeT nextPoll = 0;
    int32_t connection = kSerial;
    std::string connectScript;
    std::string disconnectScript;
    std::string realtimeScript;
    std::string clockScript;

protected:
    WSGenericSerial(const WSGenericSerial& other);

private:
    class ControlPort;
    /// The wait in progress should end: the stop request in the worker thread, the operation's
    /// time limit elsewhere.
    bool Cancelled() const;
    const Profile* PortSettings();
    bool OpenConnection();
    void CloseConnection();
    /// Runs one script; false when it ended early (stopped, line failed, runaway).
    bool RunScript(const std::string& text);
    /// Reports a failure once until a poll succeeds again.
    void ReportOnce(const std::string& message);
    void CreateControl();
    UserInterface& Ui();

    std::unique_ptr<SerialControl> comm_;
    std::unique_ptr<HayesModem> modem_;
    std::unique_ptr<Profile> portSettings_;
    std::string portSettingsPath_;
    ScriptState script_;
    std::string lastReport_;
    bool inThread_ = false;
    int64_t operationEndMs_ = -1;
    bool openFailed_ = false;
    bool shownOpenMessage_ = false;
};

}  // namespace svu
