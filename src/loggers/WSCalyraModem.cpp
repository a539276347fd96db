#include "loggers/WSCalyraModem.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "loggers/NdrProtocol.h"
#include "loggers/NdrRealtimeRequest.h"
#include "loggers/NdrSession.h"
#include "platform/SerialControl.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr auto kEscapePause = std::chrono::milliseconds(200);
// The command format is the logger's parameter 67; the menu walk may have changed it.
constexpr const char* kRestoreFormat = "spdata(67,%d)\r";

}  // namespace

WSCalyraModem::WSCalyraModem() {
    typeCode = kTypeCode;
}

WSCalyraModem::WSCalyraModem(std::string stationName) : WSNDR(std::move(stationName)) {
    typeCode = kTypeCode;
}

WSCalyraModem::WSCalyraModem(const WSCalyraModem& other)
    : WSNDR(other), ModemCallSettings(other) {}

WSCalyraModem::~WSCalyraModem() = default;

std::unique_ptr<WeatherStation> WSCalyraModem::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSCalyraModem(*this));
}

void WSCalyraModem::VisitKindFields(FieldVisitor& v) {
    ndr.VisitFields(v);
    VisitCallFields(v, baudRate);
}

bool WSCalyraModem::OpenLink() {
    if (Comm() == nullptr) {
        InitComms(UnusedStationHost());  // makes the control
    }
    return line_.Dial(*this, *Comm(), modemName, phoneNumber, baudRate, !inThread_);
}

void WSCalyraModem::ClosePort() {
    if (line_.Connected()) {
        // The logger keeps the command format it had before the call; the escape ends whatever
        // was running, so the command line is entered afresh for the setting.
        NdrSession& session = Session();
        if (!StopRequested() && session.EnterCommandMode(1)) {
            session.SendOnly(FormatC(kRestoreFormat, static_cast<int>(ndr.commandFormat)));
            session.SendByte(kNdrEscape);
            GetClock().SleepFor(kEscapePause);
        }
    }
    line_.HangUp();
    portOpen = 0;
}

bool WSCalyraModem::StartRealtime() {
    nextPoll = GetClock().Now();
    return true;
}

void WSCalyraModem::LeaveRealtime() {
    NdrSession& session = Session();
    for (int n = 0; n < 2; ++n) {
        session.SendByte(kNdrEscape);
        GetClock().SleepFor(kEscapePause);
    }
    session.DiscardInput();
}

bool WSCalyraModem::Call() {
    // A logger that does not reach its command line is still asked for its stream: the menu walk
    // may have failed on a line noise while the logger is listening.
    if (!OpenLink()) {
        ClosePort();
        return false;
    }
    Connect();
    std::vector<std::string> values;
    const bool ok = TakeNdrRealtimeLine(Session(), kLineAttempts, [this] { ReportCorrupt(); }, values);
    if (!ok) {
        LeaveRealtime();
        ClosePort();
        return false;
    }
    const TimeT now = GetClock().Now();
    LeaveRealtime();
    StoreReading(now, [&](std::vector<std::string>& table) {
        const std::size_t count =
            std::min({values.size(), table.size(), static_cast<std::size_t>(std::max(rawChannelCount, 0))});
        for (std::size_t i = 0; i < count; ++i) {
            table[i] = std::move(values[i]);
        }
    });
    nextPoll = ModemLine::NextOnGrid(nextPoll, GetClock().Now(), callInterval);
    ClosePort();
    return true;
}

void WSCalyraModem::ThreadFunction(StationHost& host) {
    inThread_ = true;
    StartRealtime();
    ModemLine::RunCalls(*this, host, line_.LockName(modemName), nextPoll, [this] { return Call(); });
    ClosePort();
    inThread_ = false;
}

}  // namespace svu
