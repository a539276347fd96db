#pragma once

#include "loggers/LineInstrumentStation.h"

namespace svu {

/// Kind 7, "Triscan": a wind station that streams speed and direction while in real-time mode
/// ("X" on, "Z" off) and returns its logged averages and extremes as text lines ("T").
class WSTriscan : public LineInstrumentStation {
public:
    static constexpr int32_t kTypeCode = 7;
    static constexpr const char* kClassName = "WSTriscan";
    static constexpr int32_t kDefaultBaudRate = 9600;
    /// How long the instrument may take to send the next line of a download.
    static constexpr int kLineTimeoutMs = 1000;

    WSTriscan();
    explicit WSTriscan(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;

    /// Opens the port and switches the stream on.
    bool StartRealtime() override;
    /// Switches the stream off; the port is closed after it.
    bool StopRealtime() override;
    /// Receives the logged records and writes them as a log file at targetPath. A download cut
    /// short keeps what was written so far.
    void Download(const std::string& targetPath) override;

    /// Whether the last Download did its work.
    bool LastOperationSucceeded() const { return lastOperationOk_; }
    /// Records written by the last Download.
    int DownloadedRecords() const { return downloaded_; }

protected:
    WSTriscan(const WSTriscan&) = default;
    void HandleLine(const std::string& line) override;
    void OnLinkRestored() override;

private:
    /// The next non-empty line within the line time-out; false when none came.
    bool ReadDownloadLine(std::string& line);

    bool lastOperationOk_ = false;
    int downloaded_ = 0;
};

}  // namespace svu
