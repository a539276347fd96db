#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "loggers/LineInstrumentStation.h"
#include "loggers/NdrConfig.h"
#include "loggers/NdrLoggerLink.h"

namespace svu {

class NdrByteStream;
class NdrSession;

/// Kind 8, "Calyra (direct RS232)": a data logger on a serial cable, reached through its menu and
/// command line. It streams its readings in real time (with a checksum when it can), keeps them in
/// its memory for a download, and holds its own set-up, which the station carries as `ndr`.
class WSNDR : public LineInstrumentStation, public NdrLoggerLink {
public:
    static constexpr int32_t kTypeCode = 8;
    static constexpr const char* kClassName = "WSNDR";
    static constexpr int32_t kDefaultBaudRate = 9600;
    /// Escapes tried before an operation gives up on a logger that does not answer.
    static constexpr int kMenuAttempts = 3;
    /// Real-time silence that is reported, and the silence after which the stream is asked for again.
    static constexpr int64_t kSilenceReportMs = 2500;
    static constexpr int64_t kStreamRestartMs = 10000;

    WSNDR();
    explicit WSNDR(std::string stationName);
    ~WSNDR() override;

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    /// The logger's set-up, then port and baudRate.
    void VisitKindFields(FieldVisitor& v) override;

    /// Opens the port, walks into the command line and starts the stream, with a checksum when
    /// the logger accepts "clirt(cs)".
    bool StartRealtime() override;
    /// Escape twice, then the port is closed.
    bool StopRealtime() override;
    void ThreadFunction(StationHost& host) override;

    /// Empties the logger's memory; false when the logger could not be reached or refused.
    bool ClearMemory() override;
    /// Receives the logger's memory image and converts it into a log at targetPath under the
    /// station's raw channel names. Progress and the time left go to the user interface; the
    /// host's stop request cancels it, leaving no file behind.
    void Download(const std::string& targetPath) override;
    /// Reads the logger's set-up into `ndr` ("Downloading Calyra configuration").
    bool DownloadConfiguration();
    /// Writes `ndr` into the logger ("Uploading Calyra configuration").
    bool UploadConfiguration();
    bool ReadConfiguration() override { return DownloadConfiguration(); }
    bool WriteConfiguration() override { return UploadConfiguration(); }

    NDR& LoggerSetup() override { return ndr; }
    bool WithCommandLine(const std::function<bool(NdrCommandLine&)>& work) override;
    bool ClearLoggerMemory() override { return ClearMemory(); }

    /// One command on the command line (command mode must be active): its answer, empty for a
    /// bare prompt or when none came.
    std::string Transact(const std::string& command) override;
    bool SendOnly(const std::string& command) override;
    /// Opens the port when needed and walks the menu into the command line.
    bool EnterCommandMode();

    /// Sets the raw channels (a new station has none until the user names the logger's channels).
    void SetLoggerChannels(const std::vector<std::string>& names);

    /// Whether the last operation did its work.
    bool LastOperationSucceeded() const { return lastOperationOk_; }
    /// Records written by the last Download.
    long DownloadedRecords() const { return downloaded_; }
    /// Whether the last Download found the logger's memory empty (no file is written then).
    bool LoggerWasEmpty() const { return loggerEmpty_; }
    /// Whether the running stream carries checksums.
    bool ChecksumMode() const { return checksumMode_; }

    NDR ndr;

protected:
    WSNDR(const WSNDR& other);
    void HandleLine(const std::string& line) override;
    /// Makes the link to the logger: the serial port here, a call or a radio link for the kinds
    /// that reach the logger another way.
    virtual bool OpenLink() { return OpenPort(); }
    /// The session over the open link (created on first use).
    NdrSession& Session();
    /// Opens the link and enters command mode; false (reported) otherwise.
    bool Connect();
    /// Escape back to the menu after work on the command line.
    void LeaveCommandMode();

private:
    /// Reads and hands on real-time lines; asks for the stream again after a long silence.
    void PollRealtime(StationHost& host);
    /// Runs a configuration transfer over the command line.
    bool TransferConfiguration(bool upload);

    std::unique_ptr<NdrByteStream> stream_;
    std::unique_ptr<NdrSession> session_;
    bool checksumMode_ = false;
    bool linkLost_ = false;
    bool lastOperationOk_ = false;
    bool loggerEmpty_ = false;
    long downloaded_ = 0;
    int64_t lastLineTick_ = 0;
    int64_t lastSilenceReport_ = 0;
};

}  // namespace svu
