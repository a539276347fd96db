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
    : WeatherStation(other), port(other.port), baudRate(other.baudRate), serial_(*this, other.serial_) {}

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

bool LineInstrumentStation::InitComms(StationHost&) {
    serial_.Control();
    return true;
}

bool LineInstrumentStation::OpenPort() {
    if (portOpen && serial_.Control().IsOpen()) {
        return true;
    }
    if (!serial_.Open(port, baudRate)) {
        Ui().MessageBox(Str(kCannotConnectMessage), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        ReportError(this, Str(kCannotConnect));
        return false;
    }
    assembler_.Clear();
    SetPortOpen(true);
    return true;
}

void LineInstrumentStation::ClosePort() {
    if (portOpen && serial_.Get()) {
        serial_.Get()->Close();
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
    serial_.ForgetLinkRestored();
    RunAcquisition(host, [&] {
        PollLine();
        host.GetClock().SleepFor(std::chrono::milliseconds(kPollPeriodMs));
    });
}

void LineInstrumentStation::PollLine() {
    if (serial_.TakeLinkRestored()) {
        assembler_.Clear();  // a line broken off by the loss is not a reading
        OnLinkRestored();
    }
    if (!serial_.Get() || serial_.Get()->InBufferCount() <= 0) {
        return;
    }
    assembler_.Append(serial_.Get()->Input());
    for (int n = assembler_.TakeOverlong(); n > 0; --n) {
        ReportCorrupt();
    }
    std::string line;
    while (assembler_.NextLine(line)) {
        HandleLine(line);
    }
}

}  // namespace svu
