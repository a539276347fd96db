#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "stations/DirectProtocol.h"
#include "stations/StationSerialPort.h"
#include "stations/WeatherStation.h"

namespace svu {

class Profile;
class SerialControl;

/// Kind 0, "Direct": an instrument with a terminal menu on a serial cable. It echoes every
/// character, ends every reply with ETX, streams checked real-time lines from its "Sensor monitor"
/// option and offers its configuration, clock, logging settings, memory clearing and memory dump.
class WSDirect : public WeatherStation {
public:
    static constexpr int32_t kTypeCode = 0;
    static constexpr const char* kClassName = "WSDirect";
    /// How long the instrument may take to echo a character or finish a reply.
    static constexpr int kReplyTimeoutMs = 10000;
    /// The worker thread's sleep between two looks at the line.
    static constexpr int kPollPeriodMs = 20;

    WSDirect();
    explicit WSDirect(std::string stationName);
    ~WSDirect() override;

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    /// Creates the serial control; the port is opened by StartRealtime.
    bool InitComms(StationHost& host) override;
    void ThreadFunction(StationHost& host) override;
    /// port, then baudRate.
    void VisitKindFields(FieldVisitor& v) override;

    /// Opens the port and, unless passive, switches the instrument to its real-time stream.
    bool StartRealtime() override;
    /// Brings the instrument back to its menu (a bounded number of tries); the port is closed after it.
    bool StopRealtime() override;
    void ClosePort() override;

    bool ClearMemory() override;
    /// Receives the instrument's memory image and writes it as a log file at targetPath.
    void Download(const std::string& targetPath) override;
    bool ReadConfiguration() override;
    bool WriteConfiguration() override;
    void SetClock() override;
    void GetLoggerInterval(int& minutes) override;
    void SetLoggerInterval(int minutes) override;
    void GetGustPeriod(int& seconds) override;
    void SetGustPeriod(int seconds) override;

    /// Whether the last of the operations above that return nothing did its work.
    bool LastOperationSucceeded() const { return lastOperationOk_; }

    // ---- Menu primitives (port open; a failure is reported as an invalid response) ----

    /// Sends one character and waits for its echo, passing over anything else received.
    bool SendCharEcho(char c);
    /// SendCharEcho for each character; false at the first failure.
    bool SendText(std::string_view text);
    /// The next reply: the received text up to and including its ETX.
    bool ReadReply(std::string& reply);
    /// Cancels whatever the instrument is doing and waits for its menu prompt.
    bool EnterMenu();

    /// Opens the port when it is not open: message and report when it cannot be.
    virtual bool OpenPort();
    /// The settings file whose [Ports] section maps port numbers to devices; by default the
    /// program folder's settings file.
    void SetPortSettingsPath(std::string path) { serial_.SetSettingsPath(std::move(path)); }
    /// The serial control (created by InitComms or the first operation), for tests.
    SerialControl* Comm() { return serial_.Get(); }

    int32_t baudRate = 9600;
    int32_t port = 1;  // "COM%i"

protected:
    /// Copies the settings; the copy has its own, not yet created, control.
    WSDirect(const WSDirect& other);
    /// Waits for the instrument end early on the stop request (for kinds with a thread of their own).
    void SetStopAware(bool on) { stopAware_ = on; }

private:
    /// A wait for the instrument ended by the stop request of a running acquisition.
    bool Cancelled() const;
    bool WaitEcho(char c, int timeoutMs);
    bool WaitReply(std::string& reply, int timeoutMs);
    /// Reports an invalid response and returns false (a cancelled wait reports nothing).
    bool InvalidResponse();
    /// EnterMenu, then the option, then its reply.
    bool OpenOption(int option, std::string& reply);
    /// Reads a number setting (interval, gust period) from the option's reply.
    bool GetSetting(int option, int& value);
    bool SetSetting(int option, int value);
    /// One look at the line during real-time acquisition.
    void PollRealtime();
    void HandleLine(const std::string& line);
    /// Ends an operation: closes the port and records the outcome.
    bool Finish(bool ok, bool closePort = true);
    UserInterface& Ui();

    StationSerialPort serial_{*this};
    std::string pending_;  // received after the last reply taken
    direct::RealtimeLineAssembler assembler_;
    int64_t restartDueMs_ = -1;  // tick of the next attempt to restart the stream, -1 none
    bool stopAware_ = false;     // waits end early on the stop request (worker thread only)
    bool cancelled_ = false;
    bool lastOperationOk_ = false;
};

}  // namespace svu
