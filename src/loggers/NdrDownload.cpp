#include "loggers/NdrDownload.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

#include "framework/Clock.h"
#include "framework/SafeName.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "loggers/ConvertLoggerData.h"
#include "loggers/NdrCommandLine.h"
#include "loggers/NdrProtocol.h"
#include "loggers/NdrSession.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kDownloadFailed = 238;
constexpr int kInvalidResponse = 557;
constexpr const char* kLoggerEmpty = "The logger is empty.";
constexpr const char* kDownloadingData = "Downloading logged data";
constexpr int64_t kProgressPeriodMs = 1000;

// A file in the temporary folder that is removed unless kept.
class TemporaryFile {
public:
    TemporaryFile() {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "ClnXXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd >= 0) {
            file_ = ::fdopen(fd, "wb");
            if (file_ == nullptr) {
                ::close(fd);
                std::remove(pattern.c_str());
            } else {
                path_ = pattern;
            }
        }
    }
    ~TemporaryFile() {
        Close();
        if (!path_.empty()) {
            std::remove(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }
    bool Write(std::string_view bytes) {
        return file_ != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    }
    /// False when the bytes did not all reach the file.
    bool Close() {
        if (file_ == nullptr) {
            return true;
        }
        const bool ok = std::fclose(file_) == 0;
        file_ = nullptr;
        return ok;
    }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

std::string TimeRemainingText(int64_t seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "Time remaining %i:%02i (approx.)", static_cast<int>(seconds / 60),
                  static_cast<int>(seconds % 60));
    return text;
}

}  // namespace

NdrDownloadResult DownloadNdrMemory(WeatherStation& station, UserInterface& ui, const NdrDownloadLink& link,
                                    const std::string& targetPath) {
    NdrDownloadResult result;
    const auto fail = [&](const std::string& text) {
        ui.MessageBox(text, kCaption, MsgButtons::Ok, MsgIcon::Stop);
        link.close();
    };
    if (!link.connect()) {
        if (!link.session().Cancelled()) {
            fail(Str(kDownloadFailed));
        }
        link.close();
        return result;
    }
    NdrSession& session = link.session();
    std::string reply;
    int64_t total = 0;
    if (!session.Transact("rsdlsize()\r", &reply)) {
        fail(Str(kDownloadFailed));
        return result;
    }
    if (!ParseNdrDownloadSize(reply, total)) {
        ReportError(&station, Str(kInvalidResponse) + " [rsdlsize() " + EscapeControls(reply) + "]");
        fail(Str(kDownloadFailed));
        return result;
    }
    if (total == 0) {
        ui.MessageBox(kLoggerEmpty, kCaption, MsgButtons::Ok, MsgIcon::Info);
        link.leave();
        link.close();
        result.empty = true;
        result.ok = true;
        return result;
    }
    TemporaryFile image;
    if (!image.IsOpen()) {
        ReportError(&station, "Unable to create a temporary file for the download");
        fail(Str(kDownloadFailed));
        return result;
    }
    if (!session.SendOnly("rsdl()\r")) {
        fail(Str(kDownloadFailed));
        return result;
    }
    ui.ShowProgress(kDownloadingData);
    Clock& clock = station.GetClock();
    const int64_t start = clock.TickMs();
    int64_t lastShown = start;
    const NdrSession::ReceiveResult outcome = session.Receive(
        total, [&](std::string_view bytes) { return image.Write(bytes); },
        [&](int64_t received) {
            const int64_t now = clock.TickMs();
            if (now - lastShown < kProgressPeriodMs) {
                return;
            }
            lastShown = now;
            const int64_t left = NdrSecondsLeft(now - start, received, total);
            ui.ShowProgress(FormatC("%s: %d%% ", kDownloadingData, NdrDownloadPercent(received, total)) +
                            TimeRemainingText(left < 0 ? 0 : left));
        });
    const bool written = image.Close();
    link.close();
    switch (outcome) {
        case NdrSession::ReceiveResult::Done:
            break;
        case NdrSession::ReceiveResult::Cancelled:
            return result;  // the image is removed with `image`
        case NdrSession::ReceiveResult::Silent:
        case NdrSession::ReceiveResult::LinkFailed:
            session.InvalidResponse();
            ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
            return result;
        case NdrSession::ReceiveResult::SinkFailed:
            ReportError(&station, "Unable to write the downloaded data to " + image.Path());
            ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
            return result;
    }
    if (!written) {
        ReportError(&station, "Unable to write the downloaded data to " + image.Path());
        ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        return result;
    }
    std::vector<std::string> names;
    {
        std::lock_guard guard(station.lock);
        const std::vector<std::string>& all = station.channelNames;
        const std::size_t count = std::min(all.size(), static_cast<std::size_t>(std::max(station.rawChannelCount, 0)));
        names.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count));
    }
    ui.BeginWaitCursor();
    const LoggerConversionResult converted = ConvertLoggerRecords(names, image.Path(), targetPath);
    ui.EndWaitCursor();
    if (converted.error != LoggerConversionError::None) {
        ui.MessageBox(LoggerConversionMessage(converted.error), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        return result;
    }
    result.records = converted.records;
    result.ok = true;
    return result;
}

bool ClearNdrMemory(NdrCommandLine& line) {
    return line.Transact("rsmode(open)\r", nullptr) && line.Transact("rsmode(unlock)\r", nullptr) &&
           line.Transact("rsmode(clear)\r", nullptr);
}

}  // namespace svu
