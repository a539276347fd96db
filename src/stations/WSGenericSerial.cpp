#include "stations/WSGenericSerial.h"

#include <chrono>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Profile.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "platform/HayesModem.h"
#include "platform/NamedMutex.h"
#include "platform/SerialControl.h"
#include "platform/SerialDevices.h"
#include "stations/ModemLine.h"
#include "stations/ScriptLanguage.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kCannotConnectMessage = 239;
constexpr int kModemFailed = 552;
constexpr int kCannotConnect = 556;
constexpr int kInvalidResponse = 557;
constexpr int kIdleMs = 20;
constexpr int kByteWaitMs = 2;
// A send that has not gone after this long has failed (a line stopped by flow control).
constexpr int64_t kSendLimitMs = 10000;

}  // namespace

/// The serial control seen by a script: waits are paced by the station's clock and end on the
/// stop request.
class WSGenericSerial::ControlPort : public ScriptPort {
public:
    ControlPort(WSGenericSerial& station, SerialControl& control) : station_(station), control_(control) {}

    bool Send(std::string_view bytes) override {
        if (!control_.Output(bytes)) {
            return false;
        }
        Clock& clock = station_.GetClock();
        const int64_t end = clock.TickMs() + kSendLimitMs;
        while (!control_.WaitSendComplete(0)) {
            if (control_.GetState() != SerialControl::State::Open || clock.TickMs() >= end || StopRequested()) {
                return false;
            }
            clock.SleepFor(std::chrono::milliseconds(kByteWaitMs));
        }
        return true;
    }

    int ReadByte(int waitMs) override {
        Clock& clock = station_.GetClock();
        const int64_t end = clock.TickMs() + waitMs;
        while (true) {
            const int b = control_.InputByte();
            if (b >= 0) {
                return b;
            }
            if (control_.GetState() != SerialControl::State::Open) {
                return -2;
            }
            if (clock.TickMs() >= end) {
                return -1;
            }
            clock.SleepFor(std::chrono::milliseconds(kByteWaitMs));
        }
    }

    void Flush() override { control_.DiscardInput(); }
    bool StopRequested() const override { return station_.Cancelled(); }

private:
    WSGenericSerial& station_;
    SerialControl& control_;
};

WSGenericSerial::WSGenericSerial() {
    typeCode = kTypeCode;
}

WSGenericSerial::WSGenericSerial(std::string stationName) : WeatherStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

WSGenericSerial::WSGenericSerial(const WSGenericSerial& other)
    : WeatherStation(other),
      baudRate(other.baudRate),
      port(other.port),
      callInterval(other.callInterval),
      phoneNumber(other.phoneNumber),
      modemName(other.modemName),
      nextPoll(other.nextPoll),
      connection(other.connection),
      connectScript(other.connectScript),
      disconnectScript(other.disconnectScript),
      realtimeScript(other.realtimeScript),
      clockScript(other.clockScript),
      portSettingsPath_(other.portSettingsPath_) {}

WSGenericSerial::~WSGenericSerial() = default;

std::unique_ptr<WeatherStation> WSGenericSerial::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSGenericSerial(*this));
}

void WSGenericSerial::VisitKindFields(FieldVisitor& v) {
    v.Int32("port", port);
    v.Int32("baudRate", baudRate);
    v.Int32("callInterval", callInterval);
    v.Int32("connection", connection);
    v.String("phoneNumber", phoneNumber);
    v.String("modemName", modemName);
    v.String("connectScript", connectScript);
    v.String("disconnectScript", disconnectScript);
    v.String("realtimeScript", realtimeScript);
    v.String("clockScript", clockScript);
}

void WSGenericSerial::FitTables() {
    channelTypes.resize(static_cast<size_t>(channelCount > 0 ? channelCount : 0), 0);
}

UserInterface& WSGenericSerial::Ui() {
    if (host != nullptr) {
        return host->Ui();
    }
    static HeadlessUserInterface headless;
    return headless;
}

void WSGenericSerial::CreateControl() {
    if (!comm_) {
        comm_ = std::make_unique<SerialControl>();
    }
}

bool WSGenericSerial::InitComms(StationHost&) {
    CreateControl();
    return true;
}

const Profile* WSGenericSerial::PortSettings() {
    std::string path = portSettingsPath_;
    if (path.empty()) {
        path = ProgramSettingsPath();
    }
    portSettings_ = std::make_unique<Profile>(path);
    return portSettings_.get();
}

std::string WSGenericSerial::LockName() {
    const Profile* settings = PortSettings();
    return connection == kModem ? "modem " + ModemDevice(modemName, settings)
                                : "port " + SerialPortDevice(port, settings);
}

bool WSGenericSerial::StartRealtime() {
    nextPoll = GetClock().Now();
    openFailed_ = false;
    shownOpenMessage_ = false;
    lastReport_.clear();
    return true;
}

void WSGenericSerial::ReportOnce(const std::string& message) {
    if (message != lastReport_) {
        ReportError(this, message);
        lastReport_ = message;
    }
}

bool WSGenericSerial::OpenConnection() {
    CreateControl();
    const Profile* settings = PortSettings();
    const std::string lineSettings = FormatC("%i,n,8,1", static_cast<int>(baudRate));
    if (connection == kModem) {
        if (!modem_) {
            modem_ = std::make_unique<HayesModem>(*comm_, GetClock(), [this] { return Cancelled(); });
        }
        const DialResult result = modem_->Dial(ModemDevice(modemName, settings), lineSettings, phoneNumber);
        if (result != DialResult::Connected) {
            if (result != DialResult::Cancelled) {
                ReportOnce(Str(kModemFailed) + std::string(" (") + DialResultText(result) + ")");
            }
            return false;
        }
    } else {
        comm_->SetPortSettings(settings);
        if (!comm_->Open(port, lineSettings)) {
            if (!shownOpenMessage_) {
                shownOpenMessage_ = true;
                Ui().MessageBox(Str(kCannotConnectMessage), kCaption, MsgButtons::Ok, MsgIcon::Stop);
            }
            ReportOnce(Str(kCannotConnect));
            return false;
        }
    }
    portOpen = 1;
    return true;
}

void WSGenericSerial::CloseConnection() {
    if (modem_ && modem_->Connected()) {
        modem_->HangUp();
    }
    if (comm_) {
        comm_->Close();
    }
    portOpen = 0;
}

void WSGenericSerial::ClosePort() {
    CloseConnection();
}

bool WSGenericSerial::RunScript(const std::string& text) {
    const SerialScript script(text);
    ControlPort line(*this, *comm_);
    const SerialScript::End end = script.Run(line, GetClock(), script_);
    if (end == SerialScript::End::LineFailed || end == SerialScript::End::Runaway) {
        ReportOnce(ScriptEndText(end));
    }
    return end == SerialScript::End::Completed;
}

bool WSGenericSerial::Poll() {
    const TimeT pollTime = GetClock().Now();
    script_.BeginPoll();
    // The script dialog may change the scripts (under the lock) while acquisition runs.
    std::string connectText;
    std::string realtimeText;
    std::string disconnectText;
    {
        std::lock_guard guard(lock);
        connectText = connectScript;
        realtimeText = realtimeScript;
        disconnectText = disconnectScript;
    }
    if (!OpenConnection()) {
        openFailed_ = true;
        return false;
    }
    openFailed_ = false;
    bool stored = false;
    if (RunScript(connectText) && RunScript(realtimeText)) {
        // A poll whose receive timed out or whose checksum was wrong stores nothing: the values
        // of an earlier poll must not be logged again as a new reading.
        if (script_.ReadingValid()) {
            StoreReading(pollTime, [&](std::vector<std::string>& table) {
                const auto raw = static_cast<std::size_t>(std::max(rawChannelCount, 0));
                for (std::size_t i = 0; i < raw && i < table.size(); ++i) {
                    table[i] = script::ResultField(script_.result, i);
                }
            });
            stored = true;
            lastReport_.clear();
        } else if (!Cancelled()) {
            ReportOnce(Str(kInvalidResponse));
        }
    }
    if (!Cancelled() && comm_->GetState() == SerialControl::State::Open) {
        RunScript(disconnectText);
    }
    CloseConnection();
    return stored;
}

bool WSGenericSerial::Cancelled() const {
    if (inThread_) {
        return StopRequested();
    }
    // An operation of the user's has no stop request; it is bounded in time instead.
    return operationEndMs_ >= 0 && GetClock().TickMs() >= operationEndMs_;
}

void WSGenericSerial::ThreadFunction(StationHost& host) {
    inThread_ = true;
    NamedMutex mutex(LockName());
    RunAcquisition(host, [&] {
        Clock& clock = host.GetClock();
        const TimeT now = clock.Now();
        if (now < nextPoll) {
            clock.SleepFor(std::chrono::milliseconds(kIdleMs));
            return;
        }
        // A modem call keeps to the grid of the call interval; a serial line is polled again at once.
        nextPoll = connection == kModem ? ModemLine::NextOnGrid(nextPoll, now, callInterval) : now;
        if (!mutex.Lock([&] { return host.StopRequested(); })) {
            if (!host.StopRequested()) {
                ReportOnce(mutex.Error());
                clock.SleepFor(std::chrono::milliseconds(kReopenPauseMs));
            }
            return;
        }
        const bool stored = Poll();
        mutex.Unlock();
        if (!stored && connection == kSerial) {
            // Pacing comes from the scripts; a line that fails must not be hammered.
            const int pause = openFailed_ ? kReopenPauseMs : kRetryPauseMs;
            for (int waited = 0; waited < pause && !host.StopRequested(); waited += kIdleMs) {
                clock.SleepFor(std::chrono::milliseconds(kIdleMs));
            }
        } else if (stored && connection == kSerial) {
            // A script without any wait must still leave the line to the port's other users.
            clock.SleepFor(std::chrono::milliseconds(kIdleMs));
        }
    });
    inThread_ = false;
}

void WSGenericSerial::SetClock() {
    script_.BeginPoll();
    operationEndMs_ = GetClock().TickMs() + kOperationLimitMs;
    NamedMutex mutex(LockName());
    if (!mutex.Lock([this] { return Cancelled(); })) {
        return;
    }
    if (OpenConnection()) {
        RunScript(clockScript);
        CloseConnection();
    }
}

}  // namespace svu
