// The data logger's operations of the user's: clearing and downloading its memory, and moving its
// set-up in either direction over its command line.

#include <chrono>

#include "framework/Clock.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "loggers/NdrDownload.h"
#include "loggers/NdrProtocol.h"
#include "loggers/NdrSession.h"
#include "loggers/NdrSessionCommandLine.h"
#include "loggers/WSNDR.h"
#include "platform/SerialControl.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kInvalidResponse = 557;
constexpr int kDownloadingConfiguration = 109;
constexpr int kUploadingConfiguration = 477;
constexpr auto kEscapeSettle = std::chrono::milliseconds(100);

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
        NdrSessionCommandLine line(Session(), ui);
        ok = ClearNdrMemory(line);
        LeaveCommandMode();
    }
    ClosePort();
    ui.EndWaitCursor();
    lastOperationOk_ = ok;
    return ok;
}

void WSNDR::Download(const std::string& targetPath) {
    NdrDownloadLink link;
    link.connect = [this] { return Connect(); };
    link.session = [this]() -> NdrSession& { return Session(); };
    link.leave = [this] { LeaveCommandMode(); };
    link.close = [this] { ClosePort(); };
    const NdrDownloadResult result = DownloadNdrMemory(*this, Ui(), link, targetPath);
    lastOperationOk_ = result.ok;
    loggerEmpty_ = result.empty;
    downloaded_ = result.records;
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
