#include "loggers/SharedRadioStation.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"
#include "platform/SerialControl.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kCannotConnectMessage = 520;
constexpr int kRealtimeCorrupt = 551;
constexpr int kNoData = 555;
constexpr int kCannotConnect = 556;

}  // namespace

SharedRadioStation::SharedRadioStation(int32_t kindCode) {
    typeCode = kindCode;
}

SharedRadioStation::SharedRadioStation(int32_t kindCode, std::string stationName)
    : WeatherStation(std::move(stationName)) {
    typeCode = kindCode;
}

SharedRadioStation::SharedRadioStation(const SharedRadioStation& other)
    : WeatherStation(other), port(other.port), portSettingsPath_(other.portSettingsPath_) {}

SharedRadioStation::~SharedRadioStation() = default;

void SharedRadioStation::CreateControl() {
    if (!comm_) {
        comm_ = std::make_unique<SerialControl>();
    }
}

bool SharedRadioStation::InitComms(StationHost&) {
    CreateControl();
    return true;
}

void SharedRadioStation::ThreadFunction(StationHost& turnHost) {
    if (turnHost.StopRequested()) {
        return;
    }
    RunTurn(turnHost);
    ClosePort();
    if (!turnHost.StopRequested()) {
        turnHost.StartNextRadioStation(*this);
    }
}

bool SharedRadioStation::OpenRadioPort(std::string_view settings) {
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
    if (!comm_->Open(port, settings)) {
        // Every turn tries again: the person is told once, the error file every time.
        if (!openFailing_) {
            openFailing_ = true;
            if (host != nullptr) {
                host->Ui().MessageBox(Str(kCannotConnectMessage), kCaption, MsgButtons::Ok, MsgIcon::Stop);
            }
        }
        ReportError(this, Str(kCannotConnect));
        return false;
    }
    openFailing_ = false;
    std::lock_guard guard(lock);
    portOpen = 1;
    return true;
}

void SharedRadioStation::ClosePort() {
    if (comm_) {
        comm_->Close();
    }
    std::lock_guard guard(lock);
    portOpen = 0;
}

bool SharedRadioStation::Pause(int ms) {
    Clock& clock = GetClock();
    while (ms > 0) {
        if (StopRequested()) {
            return false;
        }
        const int step = std::min(ms, kStopLookMs);
        clock.SleepFor(std::chrono::milliseconds(step));
        ms -= step;
    }
    return !StopRequested();
}

SharedRadioStation::WaitResult SharedRadioStation::WaitForBytes(int count, int lookMs, int looks) {
    for (int look = 0; look < looks; ++look) {
        if (StopRequested()) {
            return WaitResult::Stopped;
        }
        if (comm_ && comm_->InBufferCount() >= count) {
            return WaitResult::Enough;
        }
        GetClock().SleepFor(std::chrono::milliseconds(lookMs));
    }
    if (StopRequested()) {
        return WaitResult::Stopped;
    }
    return comm_ && comm_->InBufferCount() >= count ? WaitResult::Enough : WaitResult::Silent;
}

void SharedRadioStation::ReportNoData() {
    ReportError(this, Str(kNoData));
}

void SharedRadioStation::ReportCorrupt() {
    ReportError(this, Str(kRealtimeCorrupt));
}

}  // namespace svu
