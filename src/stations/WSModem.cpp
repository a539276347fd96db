#include "stations/WSModem.h"

#include <chrono>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/StringTable.h"
#include "platform/SerialControl.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

using namespace direct;

constexpr int kInvalidResponse = 557;
constexpr int kModemFailed = 552;
constexpr auto kLineAttemptPause = std::chrono::milliseconds(100);

bool Acceptable(const std::string& line, int raw) {
    return line.size() >= MinimumLineLength(raw) && line[2] == '/' && line[5] == '/' && line[11] == ':' &&
           line[14] == ':' && ChecksumMatches(line);
}

}  // namespace

WSModem::WSModem() {
    typeCode = kTypeCode;
}

WSModem::WSModem(std::string stationName) : WSDirect(std::move(stationName)) {
    typeCode = kTypeCode;
}

WSModem::WSModem(const WSModem& other)
    : WSDirect(other), ModemCallSettings(other) {}

WSModem::~WSModem() = default;

std::unique_ptr<WeatherStation> WSModem::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSModem(*this));
}

void WSModem::VisitKindFields(FieldVisitor& v) {
    VisitCallFields(v, baudRate);
}

bool WSModem::OpenPort() {
    if (Comm() == nullptr) {
        WSDirect::InitComms(UnusedStationHost());  // makes the control
    }
    return line_.Dial(*this, *Comm(), modemName, phoneNumber, baudRate, !inThread_);
}

void WSModem::ClosePort() {
    line_.HangUp();
    portOpen = 0;
}

bool WSModem::StartRealtime() {
    nextPoll = GetClock().Now();
    return true;
}

bool WSModem::ReadRealtimeLine(RealtimeReading& reading) {
    Clock& clock = GetClock();
    const int64_t end = clock.TickMs() + kReplyTimeoutMs;
    RealtimeLineAssembler assembler;
    std::string line;
    // A silent or garbling instrument must not hold the line and the modem for ever.
    while (clock.TickMs() < end && !StopRequested()) {
        const std::string bytes = Comm()->Input();
        if (bytes.empty() && Comm()->GetState() != SerialControl::State::Open) {
            break;
        }
        assembler.Append(bytes);
        while (assembler.NextLine(line)) {
            if (line.find("NO CARRIER") != std::string::npos) {
                ReportError(this, Str(kModemFailed) + std::string(" (NO CARRIER)"));
                return false;  // the modem's own words: the line is gone
            }
            if (Acceptable(line, rawChannelCount) &&
                ParseRealtimeLine(line, rawChannelCount, reading) == LineStatus::Ok) {
                return true;
            }
        }
        clock.SleepFor(kLineAttemptPause);
    }
    ReportError(this, Str(kInvalidResponse));
    return false;
}

bool WSModem::Call() {
    std::string reply;
    RealtimeReading reading;
    const bool ok = OpenPort() && EnterMenu() && SendText(NumberCommand(kOptionSensorMonitor)) && ReadReply(reply) &&
                    reply.find(kSensorMonitor) != std::string::npos && ReadRealtimeLine(reading);
    if (!ok) {
        ClosePort();
        return false;
    }
    nextPoll = ModemLine::NextOnGrid(nextPoll, GetClock().Now(), callInterval);
    EnterMenu();  // leaves the stream
    ClosePort();
    StoreReading(ParseDateTime(reading.date, reading.time), [&](std::vector<std::string>& table) {
        const std::size_t count = std::min(reading.values.size(), table.size());
        for (std::size_t i = 0; i < count; ++i) {
            table[i] = std::move(reading.values[i]);
        }
    });
    return true;
}

void WSModem::ThreadFunction(StationHost& host) {
    inThread_ = true;
    SetStopAware(true);
    StartRealtime();
    ModemLine::RunCalls(*this, host, line_.LockName(modemName), nextPoll, [this] { return Call(); });
    StopRealtime();
    ClosePort();
    SetStopAware(false);
    inThread_ = false;
}

}  // namespace svu
