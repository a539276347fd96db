#include "stations/ModemLine.h"

#include <chrono>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Profile.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "platform/HayesModem.h"
#include "platform/NamedMutex.h"
#include "platform/SerialControl.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kPhoneOut = 229;
constexpr int kModemFailed = 552;
constexpr int kIdleMs = 20;

class NoHost : public StationHost {
public:
    bool StopRequested() const override { return false; }
    UserInterface& Ui() override { return ui_; }

private:
    HeadlessUserInterface ui_;
    Clock& GetClock() override { return SystemClock(); }
};

}  // namespace

void ModemCallSettings::VisitCallFields(FieldVisitor& v, int32_t& baudRate) {
    v.Int32("callInterval", callInterval);
    v.Int32("baudRate", baudRate);
    v.String("modemName", modemName);
    v.String("phoneNumber", phoneNumber);
}

StationHost& UnusedStationHost() {
    static NoHost host;
    return host;
}

ModemLine::ModemLine() = default;
ModemLine::~ModemLine() = default;

const Profile* ModemLine::PortSettings() {
    std::string path = portSettingsPath_;
    if (path.empty()) {
        path = ProgramSettingsPath();
    }
    portSettings_ = std::make_unique<Profile>(path);
    return portSettings_.get();
}

std::string ModemLine::LockName(const std::string& modemName) {
    return "modem " + ModemDevice(modemName, PortSettings());
}

bool ModemLine::Connected() const {
    return modem_ && modem_->Connected();
}

bool ModemLine::Dial(WeatherStation& station, SerialControl& control, const std::string& modemName,
                     const std::string& phoneNumber, int baudRate, bool ask) {
    if (Connected()) {
        return true;
    }
    // Nobody phones out on the user's behalf without asking; with nobody to ask, nobody phones.
    if (ask && (station.host == nullptr ||
                station.host->Ui().MessageBox(FormatString(kPhoneOut, station.name.c_str()), kCaption,
                                              MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes)) {
        return false;
    }
    // A worker thread's call ends on the stop request; the user's operations run to their time-outs.
    WeatherStation* owner = &station;
    const bool inThread = !ask;
    modem_ = std::make_unique<HayesModem>(control, station.GetClock(),
                                          [owner, inThread] { return inThread && owner->StopRequested(); });
    const DialResult result = modem_->Dial(ModemDevice(modemName, PortSettings()),
                                           FormatC("%i,n,8,1", baudRate), phoneNumber);
    if (result == DialResult::Connected) {
        station.portOpen = 1;
        return true;
    }
    if (result != DialResult::Cancelled) {
        ReportError(&station, Str(kModemFailed) + std::string(" (") + DialResultText(result) + ")");
    }
    return false;
}

void ModemLine::HangUp() {
    if (modem_) {
        modem_->HangUp();
    }
}

TimeT ModemLine::NextOnGrid(TimeT nextPoll, TimeT now, int callIntervalMinutes) {
    const TimeT step = static_cast<TimeT>(std::max(callIntervalMinutes, 1)) * 60;
    if (nextPoll <= now) {
        nextPoll += ((now - nextPoll) / step + 1) * step;
    }
    return nextPoll;
}

void ModemLine::RunCalls(WeatherStation& station, StationHost& host, const std::string& lockName,
                         const TimeT& nextPoll, const std::function<bool()>& call) {
    NamedMutex mutex(lockName);
    Clock& clock = host.GetClock();
    bool reported = false;
    while (!host.StopRequested()) {
        if (clock.Now() < nextPoll) {
            clock.SleepFor(std::chrono::milliseconds(kIdleMs));
            continue;
        }
        if (!mutex.Lock([&] { return host.StopRequested(); })) {
            if (!host.StopRequested() && !reported) {
                ReportError(&station, mutex.Error());
                reported = true;
            }
            clock.SleepFor(std::chrono::milliseconds(kRedialPauseMs));
            continue;
        }
        const bool ok = call();
        mutex.Unlock();
        if (!ok) {
            // Dialled again soon, not at once: a busy number is not hammered.
            for (int waited = 0; waited < kRedialPauseMs && !host.StopRequested(); waited += kIdleMs) {
                clock.SleepFor(std::chrono::milliseconds(kIdleMs));
            }
        }
    }
}

}  // namespace svu
