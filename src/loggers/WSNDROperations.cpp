// The data logger's operations of the user's: clearing and downloading its memory, and moving its
// set-up in either direction over its command line.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "framework/Clock.h"
#include "framework/SafeName.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "loggers/ConvertLoggerData.h"
#include "loggers/NdrProtocol.h"
#include "loggers/NdrSession.h"
#include "loggers/NdrSessionCommandLine.h"
#include "loggers/WSNDR.h"
#include "platform/SerialControl.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kDownloadFailed = 238;
constexpr int kInvalidResponse = 557;
constexpr int kDownloadingConfiguration = 109;
constexpr int kUploadingConfiguration = 477;
constexpr const char* kLoggerEmpty = "The logger is empty.";
constexpr const char* kDownloadingData = "Downloading logged data";
constexpr int64_t kProgressPeriodMs = 1000;
constexpr auto kEscapeSettle = std::chrono::milliseconds(100);

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

void WSNDR::SetLoggerChannels(const std::vector<std::string>& names) {
    std::lock_guard guard(lock);
    channelNames = names;
    channelTypes.assign(names.size(), 0);
    rawChannelCount = channelCount = static_cast<int32_t>(names.size());
    ResetValues();
}

void WSNDR::LeaveCommandMode() {
    SerialControl* comm = Comm();
    if (portOpen && comm != nullptr) {
        comm->Output(std::string(1, kNdrEscape));
        comm->WaitSendComplete(static_cast<int>(kEscapeSettle.count()));
        GetClock().SleepFor(kEscapeSettle);
        comm->DiscardInput();
    }
}

bool WSNDR::ClearMemory() {
    lastOperationOk_ = false;
    UserInterface& ui = Ui();
    ui.BeginWaitCursor();
    bool ok = Connect();
    if (ok) {
        // Each step waits for its answer, so a refusal is not taken for a cleared memory.
        NdrSession& session = Session();
        ok = session.Transact("rsmode(open)\r", nullptr) && session.Transact("rsmode(unlock)\r", nullptr) &&
             session.Transact("rsmode(clear)\r", nullptr);
        LeaveCommandMode();
    }
    ClosePort();
    ui.EndWaitCursor();
    lastOperationOk_ = ok;
    return ok;
}

void WSNDR::Download(const std::string& targetPath) {
    lastOperationOk_ = false;
    loggerEmpty_ = false;
    downloaded_ = 0;
    UserInterface& ui = Ui();
    const auto fail = [&](const std::string& text) {
        ui.MessageBox(text, kCaption, MsgButtons::Ok, MsgIcon::Stop);
        ClosePort();
    };
    if (!portOpen && !OpenLink()) {
        fail(Str(kDownloadFailed));
        return;
    }
    if (!Connect()) {
        if (!Session().Cancelled()) {
            fail(Str(kDownloadFailed));
        }
        ClosePort();
        return;
    }
    NdrSession& session = Session();
    std::string reply;
    int64_t total = 0;
    if (!session.Transact("rsdlsize()\r", &reply)) {
        fail(Str(kDownloadFailed));
        return;
    }
    if (!ParseNdrDownloadSize(reply, total)) {
        ReportError(this, Str(kInvalidResponse) + " [rsdlsize() " + EscapeControls(reply) + "]");
        fail(Str(kDownloadFailed));
        return;
    }
    if (total == 0) {
        ui.MessageBox(kLoggerEmpty, kCaption, MsgButtons::Ok, MsgIcon::Info);
        LeaveCommandMode();
        ClosePort();
        loggerEmpty_ = true;
        lastOperationOk_ = true;
        return;
    }
    TemporaryFile image;
    if (!image.IsOpen()) {
        ReportError(this, "Unable to create a temporary file for the download");
        fail(Str(kDownloadFailed));
        return;
    }
    if (!session.SendOnly("rsdl()\r")) {
        fail(Str(kDownloadFailed));
        return;
    }
    ui.ShowProgress(kDownloadingData);
    Clock& clock = GetClock();
    const int64_t start = clock.TickMs();
    int64_t lastShown = start;
    const NdrSession::ReceiveResult result = session.Receive(
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
    ClosePort();
    switch (result) {
        case NdrSession::ReceiveResult::Done:
            break;
        case NdrSession::ReceiveResult::Cancelled:
            return;  // the image is removed with `image`
        case NdrSession::ReceiveResult::Silent:
        case NdrSession::ReceiveResult::LinkFailed:
            session.InvalidResponse();
            ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
            return;
        case NdrSession::ReceiveResult::SinkFailed:
            ReportError(this, "Unable to write the downloaded data to " + image.Path());
            ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
            return;
    }
    if (!written) {
        ReportError(this, "Unable to write the downloaded data to " + image.Path());
        ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    std::vector<std::string> names;
    {
        std::lock_guard guard(lock);
        const std::size_t count = std::min(channelNames.size(), static_cast<std::size_t>(std::max(rawChannelCount, 0)));
        names.assign(channelNames.begin(), channelNames.begin() + static_cast<std::ptrdiff_t>(count));
    }
    ui.BeginWaitCursor();
    const LoggerConversionResult converted = ConvertLoggerRecords(names, image.Path(), targetPath);
    ui.EndWaitCursor();
    if (converted.error != LoggerConversionError::None) {
        ui.MessageBox(LoggerConversionMessage(converted.error), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    downloaded_ = converted.records;
    lastOperationOk_ = true;
}

bool WSNDR::TransferConfiguration(bool upload) {
    Ui().ShowProgress(Str(upload ? kUploadingConfiguration : kDownloadingConfiguration));
    return WithCommandLine([&](NdrCommandLine& line) { return upload ? ndr.WriteToLogger(line) : ndr.ReadFromLogger(line); });
}

bool WSNDR::WithCommandLine(const std::function<bool(NdrCommandLine&)>& work) {
    lastOperationOk_ = false;
    UserInterface& ui = Ui();
    if (!Connect()) {
        if (!Session().Cancelled()) {
            ui.MessageBox(Str(kInvalidResponse), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        }
        ClosePort();
        return false;
    }
    NdrSessionCommandLine line(Session(), ui);
    const bool ok = work(line);
    LeaveCommandMode();
    ClosePort();
    lastOperationOk_ = ok;
    return ok;
}

bool WSNDR::DownloadConfiguration() {
    return TransferConfiguration(false);
}

bool WSNDR::UploadConfiguration() {
    return TransferConfiguration(true);
}

}  // namespace svu
