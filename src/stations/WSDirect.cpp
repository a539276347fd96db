#include "stations/WSDirect.h"

#include <algorithm>
#include <bit>
#include <chrono>

#include "framework/AtomicFile.h"
#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Profile.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "platform/SerialControl.h"
#include "stations/Alarm.h"
#include "stations/ProcessedData.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

using namespace direct;

constexpr const char* kCaption = "Stratavue";
constexpr int kRealtimeCorrupt = 551;
constexpr int kCannotConnect = 556;
constexpr int kInvalidResponse = 557;
constexpr int kCannotConnectMessage = 239;
constexpr int kDownloadFailed = 238;
constexpr int kClearAfterChange = 231;
constexpr int kClearFailed = 232;

constexpr int kMenuAttempts = 3;
constexpr int kStartAttempts = 3;
constexpr int kStopAttempts = 3;
constexpr auto kByteWait = std::chrono::milliseconds(2);
constexpr auto kMenuSettle = std::chrono::milliseconds(100);
constexpr auto kDumpSettle = std::chrono::milliseconds(200);
constexpr auto kClockWaitStep = std::chrono::milliseconds(10);
constexpr int64_t kClockWaitLimitMs = 61000;
// A stream that did not restart after the link came back is tried again after this long.
constexpr int64_t kRestartRetryMs = 10000;
constexpr int64_t kProgressPeriodMs = 1000;
// Channels the instrument has calibration room for.
constexpr int kMaxInstrumentChannels = image::kMaxChannels;

uint32_t FloatBits(double value) {
    return std::bit_cast<uint32_t>(static_cast<float>(value));
}

double BitsFloat(const std::vector<uint32_t>& table, int index, double fallback) {
    return index < static_cast<int>(table.size()) ? std::bit_cast<float>(table[static_cast<std::size_t>(index)])
                                                  : fallback;
}

// Moves the entries of the derived channels (after the first r) so they follow c raw entries.
template <class T>
void MoveDerivedEntries(std::vector<T>& table, int r, int c, int derivedCount, const T& blank) {
    std::vector<T> moved;
    for (int k = 0; k < derivedCount; ++k) {
        const auto from = static_cast<std::size_t>(r + k);
        moved.push_back(from < table.size() ? table[from] : blank);
    }
    table.resize(static_cast<std::size_t>(c), blank);
    table.insert(table.end(), moved.begin(), moved.end());
}

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
        const std::string folder = ReportFolder();
        path = folder.empty() || folder.back() == '/' ? folder + kSettingsFileName : folder + "/" + kSettingsFileName;
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

// ---- Instrument operations ---------------------------------------------------------------------

bool WSDirect::ClearMemory() {
    cancelled_ = false;
    if (!OpenPort()) {
        return Finish(false, false);
    }
    std::string reply;
    const bool ok = OpenOption(kOptionClearMemory, reply) &&
                    (reply.find(kDeleteHeading) != std::string::npos || InvalidResponse()) && SendCharEcho('Y') &&
                    ReadReply(reply) && (reply.find(kAreYouSure) != std::string::npos || InvalidResponse()) &&
                    SendCharEcho('Y') && ReadReply(reply);
    return Finish(ok, !ok);
}

bool WSDirect::GetSetting(int option, int& value) {
    std::string reply;
    double number = 0;
    if (!OpenOption(option, reply)) {
        return false;
    }
    if (!ParseNumberAfterLineFeed(reply, number)) {
        return InvalidResponse();
    }
    // Leave the setting as it is.
    if (!SendCharEcho(kCr)) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

bool WSDirect::SetSetting(int option, int value) {
    std::string reply;
    return OpenOption(option, reply) && SendText(NumberCommand(value));
}

void WSDirect::GetLoggerInterval(int& minutes) {
    cancelled_ = false;
    int value = 0;
    if (Finish(OpenPort() && GetSetting(kOptionLoggerInterval, value))) {
        minutes = loggerInterval = value;
    }
}

void WSDirect::SetLoggerInterval(int minutes) {
    cancelled_ = false;
    Finish(OpenPort() && SetSetting(kOptionLoggerInterval, minutes));
}

void WSDirect::GetGustPeriod(int& seconds) {
    cancelled_ = false;
    int value = 0;
    if (Finish(OpenPort() && GetSetting(kOptionGustPeriod, value))) {
        seconds = gustPeriod = value;
    }
}

void WSDirect::SetGustPeriod(int seconds) {
    cancelled_ = false;
    Finish(OpenPort() && SetSetting(kOptionGustPeriod, seconds));
}

void WSDirect::SetClock() {
    cancelled_ = false;
    std::string reply;
    if (!OpenPort() || !OpenOption(kOptionSetClock, reply)) {
        Finish(false);
        return;
    }
    // The instrument takes whole minutes: start one as the computer's does.
    Clock& clock = GetClock();
    const int64_t giveUp = clock.TickMs() + kClockWaitLimitMs;
    while (ToLocal(clock.Now()).second != 0 && clock.TickMs() < giveUp) {
        clock.SleepFor(kClockWaitStep);
    }
    const LocalTm now = ToLocal(clock.Now());
    bool ok = true;
    for (const int field : {now.day, now.month, now.year % 100, now.hour, now.minute}) {
        ok = ok && SendText(NumberCommand(field)) && ReadReply(reply);
    }
    Finish(ok, !ok);
}

bool WSDirect::ReadConfiguration() {
    cancelled_ = false;
    if (!OpenPort()) {
        return Finish(false, false);
    }
    std::string reply;
    int c = 0;
    int counters = 0;
    if (!OpenOption(kOptionChannelSetup, reply)) {
        return Finish(false);
    }
    if (!ParseCountBefore(reply, "Channels", c) || c < 0 || c > kMaxInstrumentChannels) {
        return Finish(InvalidResponse());
    }
    if (!SendCharEcho(kCr) || !ReadReply(reply)) {
        return Finish(false);
    }
    if (!ParseCountBefore(reply, "Counters", counters)) {
        return Finish(InvalidResponse());
    }
    if (!SendCharEcho(kCr)) {
        return Finish(false);
    }
    // Everything is read before anything is changed, so a failed read leaves the station as it was.
    std::vector<std::string> names;
    std::vector<uint32_t> types;
    for (int i = 1; i <= c; ++i) {
        int type = 0;
        if (!ReadReply(reply) || !SendText(NumberCommand(i)) || !ReadReply(reply)) {
            return Finish(false);
        }
        names.push_back(ParseChannelName(reply));
        if (!SendCharEcho(kCr) || !ReadReply(reply)) {
            return Finish(false);
        }
        if (!ParseTypeCode(reply, type)) {
            return Finish(InvalidResponse());
        }
        types.push_back(static_cast<uint32_t>(type));
        if (!SendCharEcho(kCr)) {
            return Finish(false);
        }
    }
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> multipliers;
    if (!EnterMenu() || !SendText(NumberCommand(kOptionCalibration))) {
        return Finish(false);
    }
    for (int i = 1; i <= c; ++i) {
        double offset = 0;
        if (!ReadReply(reply) || !SendText(NumberCommand(i)) || !ReadReply(reply)) {
            return Finish(false);
        }
        if (!ParseNumberAfterLineFeed(reply, offset)) {
            return Finish(InvalidResponse());
        }
        if (!SendCharEcho(kCr) || !ReadReply(reply)) {
            return Finish(false);
        }
        offsets.push_back(FloatBits(offset));
        multipliers.push_back(FloatBits(ParseLeadingNumber(reply)));
        if (!SendCharEcho(kCr)) {
            return Finish(false);
        }
    }
    if (!SendCharEcho(kCr) || !ReadReply(reply)) {
        return Finish(false);
    }

    std::lock_guard guard(lock);
    const int r = rawChannelCount;
    const int derivedCount = std::max(channelCount - r, 0);
    // Also sizes every table to N when the count is unchanged (the per-channel tables may be short).
    MoveDerivedEntries(channelNames, r, c, derivedCount, std::string());
    MoveDerivedEntries(channelTypes, r, c, derivedCount, 0u);
    MoveDerivedEntries(channelOffsets, r, c, derivedCount, FloatBits(0.0));
    MoveDerivedEntries(channelMultipliers, r, c, derivedCount, FloatBits(1.0));
    if (c != r) {
        // References to derived channels follow them; references to raw channels that are gone
        // are dropped.
        for (int k = 0; k < std::abs(c - r); ++k) {
            const int index = std::min(r, c);
            for (const auto& channel : derived) {
                if (c > r) {
                    channel->OnChannelInserted(index);
                } else {
                    channel->OnChannelDeleted(index);
                }
            }
            for (const auto& alarm : alarms) {
                if (c > r) {
                    AdjustForInsertion(alarm->channel, index);
                } else {
                    AdjustForDeletion(alarm->channel, index);
                }
            }
        }
    }
    channelCount = c + derivedCount;
    rawChannelCount = c;
    counterCount = counters;
    for (int i = 0; i < c; ++i) {
        const auto at = static_cast<std::size_t>(i);
        channelNames[at] = names[at];
        channelTypes[at] = types[at];
        channelOffsets[at] = offsets[at];
        channelMultipliers[at] = multipliers[at];
    }
    values.resize(static_cast<std::size_t>(channelCount));
    return Finish(true);
}

bool WSDirect::WriteConfiguration() {
    cancelled_ = false;
    if (!OpenPort()) {
        return Finish(false, false);
    }
    const int r = rawChannelCount;
    std::string reply;
    bool ok = OpenOption(kOptionChannelSetup, reply) && SendText(NumberCommand(r)) && ReadReply(reply) &&
              SendText(NumberCommand(counterCount));
    for (int i = 1; ok && i <= r; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        std::string name = at < channelNames.size() ? channelNames[at] : std::string();
        StripControlChars(name);
        const int type = at < channelTypes.size() ? static_cast<int>(channelTypes[at]) : 0;
        ok = ReadReply(reply) && SendText(NumberCommand(i)) && ReadReply(reply) && SendText(name + kCr) &&
             ReadReply(reply) && SendText(NumberCommand(type));
    }
    ok = ok && EnterMenu() && SendText(NumberCommand(kOptionCalibration));
    for (int i = 1; ok && i <= r; ++i) {
        ok = ReadReply(reply) && SendText(NumberCommand(i)) && ReadReply(reply) &&
             SendText(CalibrationCommand(BitsFloat(channelOffsets, i - 1, 0.0))) && ReadReply(reply) &&
             SendText(CalibrationCommand(BitsFloat(channelMultipliers, i - 1, 1.0)));
    }
    ok = ok && SendCharEcho(kCr) && ReadReply(reply);
    if (!ok) {
        return Finish(false);
    }
    if (Ui().MessageBox(Str(kClearAfterChange), kCaption, MsgButtons::YesNo, MsgIcon::Question) == MsgResult::Yes &&
        !ClearMemory()) {
        Ui().MessageBox(Str(kClearFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
    }
    return Finish(true);
}

void WSDirect::Download(const std::string& targetPath) {
    cancelled_ = false;
    UserInterface& ui = Ui();
    ui.BeginWaitCursor();
    const auto fail = [&] {
        ui.EndWaitCursor();
        ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        Finish(false);
    };
    std::string reply;
    if (!OpenPort() || !EnterMenu() || !SendText(NumberCommand(kOptionDumpMemory))) {
        fail();
        return;
    }
    Clock& clock = GetClock();
    clock.SleepFor(kDumpSettle);
    if (!ReadReply(reply)) {
        fail();
        return;
    }
    int64_t lastProgress = clock.TickMs();
    std::vector<uint8_t> image;
    const XmodemResult result = comm_->ReceiveXmodem(image, [&](std::size_t received) {
        if (clock.TickMs() - lastProgress >= kProgressPeriodMs) {
            lastProgress = clock.TickMs();
            ui.ShowProgress(FormatC("%zu bytes received", received));
        }
    });
    std::string text;
    std::string why;
    if (result != XmodemResult::Ok) {
        ReportError(this, comm_->LastErrorText());
        fail();
        return;
    }
    if (!ConvertMemoryImage(image, ToLocal(clock.Now()).year, text, &why)) {
        ReportError(this, "Downloaded memory image: " + why);
        fail();
        return;
    }
    if (!WriteFileAtomically(targetPath, text, &why)) {
        ReportError(this, why);
        fail();
        return;
    }
    ui.EndWaitCursor();
    Finish(true);
}

}  // namespace svu
