#pragma once

// The texts of the upload progress dialog, worked out from what the uploading thread reports.
// Kept apart from the widgets so the arithmetic (percentage, rate, time left) can be checked on a
// scripted sequence of reports with made-up times.

#include <cstdint>
#include <string>

namespace svu {

/// "%1 Bytes", "%1 KB" or "%1 MB" for a byte count.
std::string FtpSizeText(int64_t bytes);
/// "%1 sec", "%1 min" or "%1 min %2 sec".
std::string FtpTimeText(int64_t seconds);
/// A rate as "%1 KB/Sec" (from 1 KB a second) or "%1 Bytes/Sec".
std::string FtpRateText(double bytesPerSecond);

/// What the dialog shows; each call below updates it.
class FtpProgressTexts {
public:
    /// A new upload of `remoteFile` to `server` begins at `nowMs`.
    void Start(const std::string& remoteFile, const std::string& server, int64_t nowMs);
    void Connecting(const std::string& host);
    void Connected(const std::string& host);
    /// `sent` of `total` bytes are up at `nowMs`. False when nothing shown changed.
    bool Progress(int64_t sent, int64_t total, int64_t nowMs);
    /// The user asked to stop.
    void Aborting();

    const std::string& Caption() const { return caption_; }
    const std::string& Connection() const { return connection_; }  // "file to server"
    const std::string& Status() const { return status_; }
    const std::string& Rate() const { return rate_; }
    const std::string& TimeLeft() const { return timeLeft_; }
    /// 0..100; -1 before the first percentage.
    int Percent() const { return percent_; }

    /// How often the rate and time left are worked out.
    static constexpr int64_t kRateIntervalMs = 1000;

private:
    std::string remoteFile_;
    std::string caption_;
    std::string connection_;
    std::string status_;
    std::string rate_;
    std::string timeLeft_;
    int percent_ = -1;
    bool uploading_ = false;
    int64_t startMs_ = 0;
    int64_t rateMs_ = 0;
    int64_t rateBytes_ = 0;
};

}  // namespace svu
