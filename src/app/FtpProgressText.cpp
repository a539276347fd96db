#include "app/FtpProgressText.h"

#include "framework/StringTable.h"

namespace svu {

namespace {

constexpr int kConnected = 103;
constexpr int kResolving = 106;
constexpr int kConnecting = 110;
constexpr int kFileToServer = 113;
constexpr int kPercentCompleted = 119;
constexpr int kSizeOfSize = 121;
constexpr int kSeconds = 122;
constexpr int kMinutes = 123;
constexpr int kMinutesSeconds = 124;
constexpr int kBytes = 125;
constexpr int kUploading = 126;
constexpr int kKilobytes = 127;
constexpr int kMegabytes = 561;
constexpr int kTimeCopied = 563;
constexpr int kBytesPerSecond = 564;
constexpr int kKilobytesPerSecond = 565;
constexpr int kAborting = 568;
constexpr const char* kCaption = "File Upload";

}  // namespace

std::string FtpSizeText(int64_t bytes) {
    if (bytes < 1024) {
        return FormatStringMessage(kBytes, {Format("%d", static_cast<long long>(bytes))});
    }
    if (bytes < 1048576) {
        return FormatStringMessage(kKilobytes, {Format("%0.1f", static_cast<double>(bytes) / 1024.0)});
    }
    return FormatStringMessage(kMegabytes, {Format("%0.2f", static_cast<double>(bytes) / 1048576.0)});
}

std::string FtpTimeText(int64_t seconds) {
    if (seconds < 60) {
        return FormatStringMessage(kSeconds, {std::to_string(seconds)});
    }
    if (seconds % 60 == 0) {
        return FormatStringMessage(kMinutes, {std::to_string(seconds / 60)});
    }
    return FormatStringMessage(kMinutesSeconds, {std::to_string(seconds / 60), std::to_string(seconds % 60)});
}

std::string FtpRateText(double bytesPerSecond) {
    // Kilobytes of 1024 bytes, as the sizes beside the rate are counted.
    const double kilobytes = bytesPerSecond / 1024.0;
    if (kilobytes >= 10.0) {
        return FormatStringMessage(kKilobytesPerSecond, {Format("%0.0f", kilobytes)});
    }
    if (kilobytes >= 1.0) {
        return FormatStringMessage(kKilobytesPerSecond, {Format("%0.2f", kilobytes)});
    }
    return FormatStringMessage(kBytesPerSecond, {Format("%0.0f", bytesPerSecond)});
}

void FtpProgressTexts::Start(const std::string& remoteFile, const std::string& server, int64_t nowMs) {
    *this = FtpProgressTexts();
    remoteFile_ = remoteFile;
    caption_ = kCaption;
    connection_ = FormatStringMessage(kFileToServer, {remoteFile, server});
    status_ = FormatStringMessage(kResolving, {server});
    startMs_ = nowMs;
    rateMs_ = nowMs;
}

void FtpProgressTexts::Connecting(const std::string& host) {
    status_ = FormatStringMessage(kConnecting, {host});
}

void FtpProgressTexts::Connected(const std::string& host) {
    status_ = FormatStringMessage(kConnected, {host});
}

bool FtpProgressTexts::Progress(int64_t sent, int64_t total, int64_t nowMs) {
    bool changed = false;
    if (!uploading_) {
        // The clock for the rate and the time left starts with the first block, not the connection.
        uploading_ = true;
        status_ = Str(kUploading);
        startMs_ = nowMs;
        rateMs_ = nowMs;
        changed = true;
    }
    if (total <= 0 || sent <= 0) {
        return changed;  // an empty file has nothing to show progress of
    }
    const int percent = static_cast<int>(sent * 100 / total);
    if (percent != percent_) {
        percent_ = percent;
        caption_ = FormatStringMessage(kPercentCompleted, {std::to_string(percent), remoteFile_});
        changed = true;
    }
    if (nowMs - rateMs_ >= kRateIntervalMs) {
        rate_ = FtpRateText(static_cast<double>(sent - rateBytes_) * 1000.0 / static_cast<double>(nowMs - rateMs_));
        rateMs_ = nowMs;
        rateBytes_ = sent;
        const int64_t remaining = total > sent ? total - sent : 0;
        const int64_t secondsLeft =
            static_cast<int64_t>(static_cast<double>(nowMs - startMs_) / static_cast<double>(sent) *
                                 static_cast<double>(remaining) / 1000.0);
        timeLeft_ = FormatStringMessage(
            kTimeCopied,
            {FtpTimeText(secondsLeft), FormatStringMessage(kSizeOfSize, {FtpSizeText(sent), FtpSizeText(total)})});
        changed = true;
    }
    return changed;
}

void FtpProgressTexts::Aborting() {
    status_ = Str(kAborting);
}

}  // namespace svu
