#include "loggers/LineInstrumentStation.h"

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

constexpr const char* kCaption = "Stratavue";
constexpr int kCannotConnectMessage = 239;
constexpr int kRealtimeCorrupt = 551;
constexpr int kCannotConnect = 556;

}  // namespace

LineInstrumentStation::LineInstrumentStation(int32_t kindCode, int32_t defaultBaudRate) : baudRate(defaultBaudRate) {
    typeCode = kindCode;
    readingTime = SystemClock().Now();
}

LineInstrumentStation::LineInstrumentStation(int32_t kindCode, int32_t defaultBaudRate, std::string stationName)
    : WeatherStation(std::move(stationName)), baudRate(defaultBaudRate) {
    typeCode = kindCode;
    readingTime = SystemClock().Now();
}

LineInstrumentStation::LineInstrumentStation(const LineInstrumentStation& other)
    : WeatherStation(other), port(other.port), baudRate(other.baudRate), portSettingsPath_(other.portSettingsPath_) {}

LineInstrumentStation::~LineInstrumentStation() = default;

void LineInstrumentStation::SetChannels(std::initializer_list<const char*> names,
                                        std::initializer_list<uint32_t> types) {
    channelNames.assign(names.begin(), names.end());
    channelTypes.assign(types.begin(), types.end());
    rawChannelCount = channelCount = static_cast<int32_t>(channelNames.size());
    ResetValues();
}

void LineInstrumentStation::VisitKindFields(FieldVisitor& v) {
    v.Int32("port", port);
    v.Int32("baudRate", baudRate);
}

UserInterface& LineInstrumentStation::Ui() {
    if (host != nullptr) {
        return host->Ui();
    }
    static HeadlessUserInterface headless;
    return headless;
}

void LineInstrumentStation::ReportCorrupt() {
    ReportError(this, Str(kRealtimeCorrupt));
}

void LineInstrumentStation::CreateControl() {
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

bool LineInstrumentStation::InitComms(StationHost&) {
    CreateControl();
    return true;
}

bool LineInstrumentStation::OpenPort() {
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
        Ui().MessageBox(Str(kCannotConnectMessage), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        ReportError(this, Str(kCannotConnect));
        return false;
    }
    assembler_.Clear();
    SetPortOpen(true);
    return true;
}

void LineInstrumentStation::ClosePort() {
    if (portOpen && comm_) {
        comm_->Close();
    }
    SetPortOpen(false);
}

void LineInstrumentStation::SetPortOpen(bool open) {
    // Under the lock, so another thread may look at it (tests wait for the port this way).
    std::lock_guard guard(lock);
    portOpen = open ? 1 : 0;
}

bool LineInstrumentStation::StartRealtime() {
    return OpenPort();
}

void LineInstrumentStation::ThreadFunction(StationHost& host) {
    linkRestored_.store(false);
    RunAcquisition(host, [&] {
        PollLine();
        host.GetClock().SleepFor(std::chrono::milliseconds(kPollPeriodMs));
    });
}

void LineInstrumentStation::PollLine() {
    if (linkRestored_.exchange(false)) {
        assembler_.Clear();  // a line broken off by the loss is not a reading
        OnLinkRestored();
    }
    if (!comm_ || comm_->InBufferCount() <= 0) {
        return;
    }
    assembler_.Append(comm_->Input());
    for (int n = assembler_.TakeOverlong(); n > 0; --n) {
        ReportCorrupt();
    }
    std::string line;
    while (assembler_.NextLine(line)) {
        HandleLine(line);
    }
}

}  // namespace svu
