#include "loggers/WS310320.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Profile.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "platform/SerialControl.h"
#include "platform/SerialDevices.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kCannotConnectMessage = 239;
constexpr int kCannotConnect = 556;
constexpr int kInvalidResponse = 557;
constexpr int kOverloadName = 562;
constexpr int kBatteryLowName = 570;
constexpr int kUnderRangeName = 572;
constexpr int kPeriodFunctionName = 644;
constexpr int kProfileFunctionName = 645;

constexpr uint32_t kOnlineInputQueue = 16384;
constexpr uint32_t kOnlineOutputQueue = 1024;
constexpr auto kAnswerStep = std::chrono::milliseconds(10);
constexpr auto kWrongAnswerSettle = std::chrono::milliseconds(100);
// Standard mode: the wait for the next clock second, and after a poll that could not be sent.
constexpr auto kSecondStep = std::chrono::milliseconds(10);
constexpr auto kLinkDownStep = std::chrono::milliseconds(100);
// Online mode: the wait for the next byte, and between two attempts to reopen a lost device.
constexpr auto kByteStep = std::chrono::milliseconds(2);
constexpr auto kLostStep = std::chrono::milliseconds(50);
constexpr int64_t kReopenPeriodMs = 1000;

}  // namespace

WS310320::WS310320() {
    typeCode = kTypeCode;
    rawChannelCount = channelCount = kSoundChannels;
    channelNames.assign(kSoundChannels, std::string());
    SetStandardNames();
    ResetValues();
}

WS310320::WS310320(std::string stationName) : WS310320() {
    name = std::move(stationName);
}

WS310320::WS310320(const WS310320& other)
    : WeatherStation(other),
      port(other.port),
      baudRate(other.baudRate),
      resetOnRead(other.resetOnRead),
      onlineMode(other.onlineMode),
      portSettingsPath_(other.portSettingsPath_) {}

WS310320::~WS310320() = default;

std::unique_ptr<WeatherStation> WS310320::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WS310320(*this));
}

void WS310320::VisitKindFields(FieldVisitor& v) {
    v.Int32("port", port);
    v.Int32("baudRate", baudRate);
    v.Bool32("resetOnRead", resetOnRead);
    if (v.Schema() >= kOnlineModeSchema) {
        v.Bool32("onlineMode", onlineMode);
    } else if (v.IsLoading()) {
        onlineMode = 0;
    }
}

void WS310320::FitTables() {
    Prepare();
}

void WS310320::SetStandardNames() {
    if (channelNames.size() < static_cast<std::size_t>(kSoundChannels)) {
        channelNames.resize(kSoundChannels);
    }
    const std::string names[kSoundChannels] = {Str(kOverloadName), Str(kBatteryLowName), Str(kUnderRangeName), "LEQ",
                                               "Peak", "SPL"};
    std::copy(std::begin(names), std::end(names), channelNames.begin());
}

void WS310320::Prepare() {
    if (channelCount < kSoundChannels) {
        // A damaged or foreign record: the ten channels come first, derived channels after them.
        const int32_t derivedCount = std::max(channelCount - rawChannelCount, 0);
        std::vector<std::string> derivedNames;
        for (int32_t k = 0; k < derivedCount; ++k) {
            const auto at = static_cast<std::size_t>(rawChannelCount + k);
            derivedNames.push_back(at < channelNames.size() ? channelNames[at] : std::string());
        }
        channelNames.assign(kSoundChannels, std::string());
        if (onlineMode) {
            for (int i = 0; i < kPeriodChannels; ++i) {
                channelNames[static_cast<std::size_t>(i)] = FormatString(kPeriodFunctionName, i + 1);
            }
            channelNames[kPeriodChannels] = FormatString(kProfileFunctionName, 1);
        } else {
            SetStandardNames();
        }
        channelNames.insert(channelNames.end(), derivedNames.begin(), derivedNames.end());
        rawChannelCount = kSoundChannels;
        channelCount = kSoundChannels + derivedCount;
        ResetValues();
    }
    periodCount = profileCount = 0;
    periodFile_.ResetDay();
    profileFile_.ResetDay();
}

UserInterface& WS310320::Ui() {
    if (host != nullptr) {
        return host->Ui();
    }
    static HeadlessUserInterface headless;
    return headless;
}

const Profile* WS310320::PortSettings() {
    std::string path = portSettingsPath_;
    if (path.empty()) {
        path = ProgramSettingsPath();
    }
    portSettings_ = std::make_unique<Profile>(path);
    return portSettings_.get();
}

// ---- the port ------------------------------------------------------------------------------

void WS310320::CreateControl() {
    if (!comm_) {
        comm_ = std::make_unique<SerialControl>();
        comm_->SetLinkEventHandler(
            [this](SerialControl::LinkEvent, const std::string& message) { ReportError(this, message); });
    }
}

bool WS310320::InitComms(StationHost&) {
    if (!onlineMode) {
        CreateControl();
    }
    return true;
}

bool WS310320::OpenPort() {
    if (onlineMode) {
        const std::string device = SerialPortDevice(port, PortSettings());
        if (device.empty() || serialLine_.Open(device, kOnlineInputQueue, kOnlineOutputQueue, true) != 0) {
            return false;
        }
        if (serialLine_.Setup(static_cast<uint32_t>(baudRate), 8, kParityNone, kStopBitsOne) != 0 ||
            serialLine_.SetupHandshaking(0) != 0) {
            serialLine_.Close();
            return false;
        }
        serialLine_.Purge();
        reader_.Reset();
        lineLost_ = false;
        SetPortOpen(true);
        return true;
    }
    CreateControl();
    comm_->SetPortSettings(PortSettings());
    if (!comm_->Open(port, FormatC("%i,n,8,1", static_cast<int>(baudRate)))) {
        Ui().MessageBox(Str(kCannotConnectMessage), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        ReportError(this, Str(kCannotConnect));
        return false;
    }
    SetPortOpen(true);
    return true;
}

void WS310320::ClosePort() {
    if (comm_) {
        comm_->Close();
    }
    serialLine_.Close();
    SetPortOpen(false);
}

void WS310320::SetPortOpen(bool open) {
    // Under the lock, so another thread may look at it.
    std::lock_guard guard(lock);
    portOpen = open ? 1 : 0;
}

bool WS310320::StartRealtime() {
    if (!OpenPort()) {
        return false;
    }
    if (onlineMode) {
        return true;
    }
    SoundLevels levels;
    if (PollLevels(true, levels)) {
        return true;
    }
    for (int retry = 1; retry <= kStartAttempts; ++retry) {
        ClosePort();
        if (!OpenPort()) {
            return false;
        }
        if (retry == kStartAttempts) {
            break;
        }
        if (PollLevels(true, levels)) {
            return true;
        }
    }
    // The meter never answered: say so, as a silent end of the station would leave the user guessing.
    ReportError(this, Str(kInvalidResponse));
    return false;
}

bool WS310320::StopRealtime() {
    ClosePort();
    periodFile_.Close();
    profileFile_.Close();
    return true;
}

// ---- standard mode -------------------------------------------------------------------------

bool WS310320::PollLevels(bool reset, SoundLevels& levels) {
    if (!comm_) {
        return false;
    }
    // An answer that came late or too long must not stay in front of this one's.
    comm_->DiscardInput();
    const char command = static_cast<char>(LevelPollCommand(reset));
    if (!comm_->Output(std::string_view(&command, 1)) || !comm_->WaitSendComplete(kAnswerTimeoutMs)) {
        return false;
    }
    Clock& clock = GetClock();
    const int64_t end = clock.TickMs() + kAnswerTimeoutMs;
    while (comm_->InBufferCount() != static_cast<int>(kLevelAnswerSize)) {
        if (clock.TickMs() > end || comm_->GetState() != SerialControl::State::Open) {
            return false;
        }
        clock.SleepFor(kAnswerStep);
    }
    uint8_t answer[kLevelAnswerSize];
    for (uint8_t& b : answer) {
        const int byte = comm_->InputByte();
        if (byte < 0) {
            return false;
        }
        b = static_cast<uint8_t>(byte);
    }
    if (!DecodeLevelAnswer(answer, sizeof answer, levels)) {
        clock.SleepFor(kWrongAnswerSettle);
        comm_->DiscardInput();
        return false;
    }
    return true;
}

void WS310320::PollStandard(StationHost& host) {
    Clock& clock = host.GetClock();
    if (clock.Now() == readingTime) {
        clock.SleepFor(kSecondStep);  // one reading per clock second
        return;
    }
    SoundLevels levels;
    if (!PollLevels(resetOnRead != 0, levels)) {
        // A poll that failed is not reported; a device that has gone is waited for.
        if (!comm_ || comm_->GetState() != SerialControl::State::Open) {
            clock.SleepFor(kLinkDownStep);
        }
        return;
    }
    const std::array<std::string, 6> texts = LevelTexts(levels);
    StoreReading(clock.Now(), [&](std::vector<std::string>& table) {
        std::copy(texts.begin(), texts.end(), table.begin());
    });
}

// ---- online mode ---------------------------------------------------------------------------

bool WS310320::RecoverOnlineLine() {
    Clock& clock = GetClock();
    if (clock.TickMs() < nextReopenMs_) {
        return false;
    }
    nextReopenMs_ = clock.TickMs() + kReopenPeriodMs;
    const std::string device = serialLine_.Device();
    if (!OpenPort()) {
        return false;
    }
    ReportError(this, "Serial device " + device + " is available again");
    return true;
}

bool WS310320::ReadOnlineLine(std::string& line) {
    Clock& clock = GetClock();
    while (!StopRequested()) {
        if (lineLost_ && !RecoverOnlineLine()) {
            clock.SleepFor(kLostStep);
            continue;
        }
        uint8_t byte = 0;
        uint32_t got = 0;
        const uint32_t result = serialLine_.Read(&byte, 1, &got);
        if (result != 0 || serialLine_.DeviceLost()) {
            ReportError(this, "Serial device " + serialLine_.Device() + " is no longer available (" +
                                  std::strerror(static_cast<int>(result == 0 ? EIO : result)) + ")");
            serialLine_.Close();
            lineLost_ = true;
            nextReopenMs_ = clock.TickMs() + kReopenPeriodMs;
            continue;
        }
        if (got == 0) {
            clock.SleepFor(kByteStep);
            continue;
        }
        const bool complete = reader_.Feed(byte, line);
        if (reader_.TakeOverlong() > 0) {
            ReportError(this, FormatC("An online line longer than %zu bytes was discarded", kOnlineLineLimit));
        }
        if (complete) {
            return true;
        }
    }
    return false;
}

void WS310320::ReadOnline() {
    std::string line;
    if (!ReadOnlineLine(line)) {
        return;
    }
    std::lock_guard guard(lock);
    readingTime = GetClock().Now();
    if (values.size() < static_cast<std::size_t>(kSoundChannels)) {
        values.resize(kSoundChannels);
    }
    const OnlineLine parsed = ParseOnlineLine(line, values);
    periodCount = profileCount = 0;
    if (parsed.period) {
        periodTime = parsed.time;
        periodCount = parsed.count;
    } else {
        profileTime = readingTime;
        profileCount = parsed.count;
    }
    CalculateDerivedChannels();
    EvaluateAlarms();
    WriteNetworkFile();
    if (parsed.period) {
        periodFile_.Write(*this, periodTime, periodCount);
    } else {
        profileFile_.Write(*this, profileTime, profileCount);
    }
    LogReading();
    newData.store(true);
}

void WS310320::ThreadFunction(StationHost& host) {
    nextReopenMs_ = 0;
    RunAcquisition(host, [&] {
        if (onlineMode) {
            ReadOnline();
        } else {
            PollStandard(host);
        }
    });
}

}  // namespace svu
