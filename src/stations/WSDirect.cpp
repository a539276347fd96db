// The Direct station: its port, the instrument's menu primitives and the real-time stream on the
// worker thread. The instrument operations of the property pages are in WSDirectOperations.cpp.

#include "stations/WSDirect.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Profile.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "platform/SerialControl.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

using namespace direct;

constexpr const char* kCaption = "Stratavue";
constexpr int kRealtimeCorrupt = 551;
constexpr int kCannotConnect = 556;
constexpr int kInvalidResponse = 557;
constexpr int kCannotConnectMessage = 239;

constexpr int kMenuAttempts = 3;
constexpr int kStartAttempts = 3;
constexpr int kStopAttempts = 3;
constexpr auto kByteWait = std::chrono::milliseconds(2);
constexpr auto kMenuSettle = std::chrono::milliseconds(100);
// A stream that did not restart after the link came back is tried again after this long.
constexpr int64_t kRestartRetryMs = 10000;

}  // namespace

WSDirect::WSDirect() {
    typeCode = kTypeCode;
}

WSDirect::WSDirect(std::string stationName) : WeatherStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

WSDirect::WSDirect(const WSDirect& other)
    : WeatherStation(other), baudRate(other.baudRate), port(other.port), portSettingsPath_(other.portSettingsPath_) {}

WSDirect::~WSDirect() = default;

std::unique_ptr<WeatherStation> WSDirect::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSDirect(*this));
}

void WSDirect::VisitKindFields(FieldVisitor& v) {
    v.Int32("port", port);
    v.Int32("baudRate", baudRate);
}

UserInterface& WSDirect::Ui() {
    if (host != nullptr) {
        return host->Ui();
    }
    static HeadlessUserInterface headless;
    return headless;
}

// ---- The port ------------------------------------------------------------------------------------

void WSDirect::CreateControl() {
    if (comm_) {
        return;
    }
    comm_ = std::make_unique<SerialControl>();
    comm_->SetLinkEventHandler([this](SerialControl::LinkEvent event, const std::string& message) {
        ReportError(this, message);
        if (event == SerialControl::LinkEvent::Restored) {
            linkRestored_.store(true);
        }
    });
}

bool WSDirect::InitComms(StationHost&) {
    CreateControl();
    return true;
}

bool WSDirect::OpenPort() {
    CreateControl();
    if (portOpen && comm_->IsOpen()) {
        return true;
    }
    std::string path = portSettingsPath_;
    if (path.empty()) {
        path = ProgramSettingsPath();
    }
    portSettings_ = std::make_unique<Profile>(path);
    comm_->SetPortSettings(portSettings_.get());
    if (!comm_->Open(port, FormatC("%i,n,8,1", static_cast<int>(baudRate)))) {
        if (!startRetrying.load()) {  // a start being retried said so once already
            Ui().MessageBox(Str(kCannotConnectMessage), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        }
        ReportError(this, Str(kCannotConnect));
        return false;
    }
    portOpen = 1;
    pending_.clear();
    assembler_.Clear();
    return true;
}

void WSDirect::ClosePort() {
    if (portOpen && comm_) {
        comm_->Close();
    }
    portOpen = 0;
}

// ---- Menu primitives -----------------------------------------------------------------------------

bool WSDirect::Cancelled() const {
    return stopAware_ && host != nullptr && host->StopRequested();
}

bool WSDirect::InvalidResponse() {
    if (!cancelled_) {
        ReportError(this, Str(kInvalidResponse));
    }
    return false;
}

bool WSDirect::WaitEcho(char c, int timeoutMs) {
    if (!comm_ || !comm_->Output(std::string_view(&c, 1))) {
        return false;
    }
    Clock& clock = GetClock();
    const int64_t end = clock.TickMs() + timeoutMs;
    while (true) {
        for (int b = comm_->InputByte(); b >= 0; b = comm_->InputByte()) {
            if (b == static_cast<unsigned char>(c)) {
                return true;
            }
        }
        // A device that went away will not echo; the link handler has reported it.
        if (comm_->GetState() != SerialControl::State::Open || clock.TickMs() >= end) {
            return false;
        }
        if (Cancelled()) {
            cancelled_ = true;
            return false;
        }
        clock.SleepFor(kByteWait);
    }
}

bool WSDirect::WaitReply(std::string& reply, int timeoutMs) {
    if (!comm_) {
        return false;
    }
    Clock& clock = GetClock();
    const int64_t end = clock.TickMs() + timeoutMs;
    while (true) {
        pending_ += comm_->Input();
        if (TakeReply(pending_, reply)) {
            return true;
        }
        if (comm_->GetState() != SerialControl::State::Open || clock.TickMs() >= end) {
            return false;
        }
        if (Cancelled()) {
            cancelled_ = true;
            return false;
        }
        clock.SleepFor(kByteWait);
    }
}

bool WSDirect::SendCharEcho(char c) {
    if (comm_) {
        comm_->SetInputLength(0);
    }
    return WaitEcho(c, kReplyTimeoutMs) || InvalidResponse();
}

bool WSDirect::SendText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [this](char c) { return SendCharEcho(c); });
}

bool WSDirect::ReadReply(std::string& reply) {
    return WaitReply(reply, kReplyTimeoutMs) || InvalidResponse();
}

bool WSDirect::EnterMenu() {
    if (!comm_) {
        return InvalidResponse();
    }
    // Whatever was received before belongs to an earlier exchange.
    comm_->DiscardInput();
    pending_.clear();
    comm_->Output(std::string(1, kCan));
    for (int attempt = 0; attempt < kMenuAttempts && !cancelled_; ++attempt) {
        comm_->Output(std::string(1, kCr));
        std::string reply;
        if (WaitReply(reply, kReplyTimeoutMs) && IsMenuPrompt(reply)) {
            GetClock().SleepFor(kMenuSettle);
            return true;
        }
        if (comm_->GetState() != SerialControl::State::Open) {
            break;
        }
    }
    return InvalidResponse();
}

bool WSDirect::OpenOption(int option, std::string& reply) {
    return EnterMenu() && SendText(NumberCommand(option)) && ReadReply(reply);
}

bool WSDirect::Finish(bool ok, bool closePort) {
    if (closePort) {
        ClosePort();
    }
    lastOperationOk_ = ok;
    return ok;
}

// ---- Real time ---------------------------------------------------------------------------------

bool WSDirect::StartRealtime() {
    cancelled_ = false;
    if (!OpenPort()) {
        return false;
    }
    assembler_.Clear();
    if (passive) {
        return true;
    }
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        std::string reply;
        if (!OpenOption(kOptionSensorMonitor, reply)) {
            return false;
        }
        if (reply.find(kSensorMonitor) != std::string::npos) {
            // What followed the reply is already the stream.
            assembler_.Append(pending_);
            pending_.clear();
            return true;
        }
    }
    return InvalidResponse();
}

bool WSDirect::StopRealtime() {
    stopAware_ = false;
    cancelled_ = false;
    if (!passive && portOpen && comm_ && comm_->GetState() == SerialControl::State::Open) {
        // An instrument that no longer answers must not keep the thread from ending: a few tries
        // within one reply time-out in all.
        Clock& clock = GetClock();
        const int64_t end = clock.TickMs() + kReplyTimeoutMs;
        for (int attempt = 0; attempt < kStopAttempts; ++attempt) {
            const int left = static_cast<int>(std::max<int64_t>(end - clock.TickMs(), 0));
            std::string reply;
            if (left == 0 || !WaitEcho(kCr, left)) {
                break;
            }
            while (WaitReply(reply, static_cast<int>(std::max<int64_t>(end - clock.TickMs(), 0)))) {
                if (reply.find(kPrompt) != std::string::npos) {
                    return true;
                }
            }
        }
        InvalidResponse();
    }
    return true;  // the acquisition's end closes the port
}

void WSDirect::ThreadFunction(StationHost& host) {
    stopAware_ = true;
    restartDueMs_ = -1;
    linkRestored_.store(false);
    RunAcquisition(host, [&] {
        PollRealtime();
        host.GetClock().SleepFor(std::chrono::milliseconds(kPollPeriodMs));
    });
    stopAware_ = false;
}

void WSDirect::PollRealtime() {
    Clock& clock = GetClock();
    if (linkRestored_.exchange(false)) {
        assembler_.Clear();  // a line broken off by the loss is not a reading
        if (!passive) {
            restartDueMs_ = clock.TickMs();
        }
    }
    if (restartDueMs_ >= 0 && clock.TickMs() >= restartDueMs_) {
        // The instrument behind a device that came back may have been restarted: ask for the
        // stream again.
        cancelled_ = false;
        if (StartRealtime()) {
            restartDueMs_ = -1;
        } else if (!cancelled_) {
            restartDueMs_ = clock.TickMs() + kRestartRetryMs;
        }
        return;
    }
    if (!comm_ || comm_->InBufferCount() <= 0) {
        return;
    }
    assembler_.Append(comm_->Input());
    std::string line;
    while (assembler_.NextLine(line)) {
        HandleLine(line);
    }
}

void WSDirect::HandleLine(const std::string& line) {
    RealtimeReading reading;
    switch (ParseRealtimeLine(line, rawChannelCount, reading)) {
        case LineStatus::TooShort:
            return;  // not a reading (the end of a reply, a broken-off piece)
        case LineStatus::Corrupt:
            counters->corruptLines.fetch_add(1, std::memory_order_relaxed);
            ReportError(this, Str(kRealtimeCorrupt));
            return;
        case LineStatus::Ok:
            break;
    }
    StoreReading(ParseDateTime(reading.date, reading.time), [&](std::vector<std::string>& table) {
        const std::size_t count = std::min(reading.values.size(), table.size());
        for (std::size_t i = 0; i < count; ++i) {
            table[i] = std::move(reading.values[i]);
        }
    });
}

}  // namespace svu
