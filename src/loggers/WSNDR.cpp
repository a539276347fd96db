#include "loggers/WSNDR.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"
#include "loggers/NdrProtocol.h"
#include "loggers/NdrSession.h"
#include "platform/SerialControl.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr int kInvalidResponse = 557;
constexpr std::string_view kStreamWithChecksum = "clirt(cs)\r";
constexpr std::string_view kStream = "clirt()\r";
constexpr auto kEscapeSettle = std::chrono::milliseconds(100);
constexpr auto kPollPeriod = std::chrono::milliseconds(LineInstrumentStation::kPollPeriodMs);

}  // namespace

WSNDR::WSNDR() : LineInstrumentStation(kTypeCode, kDefaultBaudRate) {}

WSNDR::WSNDR(std::string stationName) : LineInstrumentStation(kTypeCode, kDefaultBaudRate, std::move(stationName)) {}

WSNDR::WSNDR(const WSNDR& other) : LineInstrumentStation(other), ndr(other.ndr) {}

WSNDR::~WSNDR() = default;

std::unique_ptr<WeatherStation> WSNDR::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSNDR(*this));
}

void WSNDR::VisitKindFields(FieldVisitor& v) {
    ndr.VisitFields(v);
    LineInstrumentStation::VisitKindFields(v);
}

NdrSession& WSNDR::Session() {
    if (!stream_) {
        stream_ = std::make_unique<SerialControlStream>([this] { return Comm(); });
    }
    if (!session_) {
        NdrSessionHooks hooks;
        hooks.cancelled = [this] { return host != nullptr && host->StopRequested(); };
        hooks.report = [this](const std::string& text) { ReportError(this, text); };
        hooks.refused = [this](const std::string& command, const std::string& reply) {
            Ui().MessageBox(command + "\n" + reply, "Stratavue", MsgButtons::Ok, MsgIcon::Stop);
        };
        session_ = std::make_unique<NdrSession>(*stream_, GetClock(), std::move(hooks));
    }
    return *session_;
}

bool WSNDR::Connect() {
    if (!OpenLink()) {
        return false;
    }
    session_.reset();  // a new conversation, on the clock of whoever runs it now
    return Session().EnterCommandMode(kMenuAttempts);
}

bool WSNDR::EnterCommandMode() {
    return Connect();
}

std::string WSNDR::Transact(const std::string& command) {
    std::string reply;
    if (!portOpen || !Session().Transact(command, &reply)) {
        return {};
    }
    return reply;
}

bool WSNDR::SendOnly(const std::string& command) {
    return portOpen && Session().SendOnly(command);
}

// ---- Real time ---------------------------------------------------------------------------------

bool WSNDR::StartRealtime() {
    checksumMode_ = false;
    if (!Connect()) {
        return false;
    }
    NdrSession& session = Session();
    // The echo is the first reply; the second is a refusal or already the stream.
    if (!session.SendOnly(kStreamWithChecksum)) {
        return false;
    }
    std::string reply;
    const bool answered = session.ReadReply(reply);
    if (answered && IsNdrError(reply)) {
        session.DiscardInput();
        if (!session.SendOnly(kStream)) {
            return false;
        }
    } else {
        checksumMode_ = true;
    }
    assembler_.Clear();
    if (answered && !IsNdrError(reply)) {
        HandleLine(reply);
    }
    assembler_.Append(session.TakePending());
    lastLineTick_ = lastSilenceReport_ = GetClock().TickMs();
    return true;
}

bool WSNDR::StopRealtime() {
    SerialControl* comm = Comm();
    if (portOpen && comm != nullptr) {
        for (int n = 0; n < 2; ++n) {
            comm->Output(std::string(1, kNdrEscape));
            comm->WaitSendComplete(static_cast<int>(kEscapeSettle.count()));
            GetClock().SleepFor(kEscapeSettle);
            comm->DiscardInput();
        }
    }
    return true;  // the acquisition's end closes the port
}

void WSNDR::ThreadFunction(StationHost& host) {
    linkLost_ = false;
    RunAcquisition(host, [&] {
        PollRealtime(host);
        host.GetClock().SleepFor(kPollPeriod);
    });
}

void WSNDR::PollRealtime(StationHost& host) {
    const int64_t now = host.GetClock().TickMs();
    SerialControl* comm = Comm();
    const int waiting = comm != nullptr ? comm->InBufferCount() : -1;
    if (comm != nullptr && comm->GetState() == SerialControl::State::Lost) {
        linkLost_ = true;
    } else if (linkLost_ && comm != nullptr && comm->GetState() == SerialControl::State::Open) {
        // The device is back; the logger behind it was probably restarted: ask for the stream now.
        linkLost_ = false;
        lastLineTick_ = now - kStreamRestartMs;
    }
    if (waiting > 0) {
        assembler_.Append(comm->Input());
        for (int n = assembler_.TakeOverlong(); n > 0; --n) {
            ReportCorrupt();
        }
        std::string line;
        while (assembler_.NextLine(line)) {
            lastLineTick_ = lastSilenceReport_ = now;
            HandleLine(line);
        }
        return;
    }
    if (now - lastLineTick_ >= kStreamRestartMs && !linkLost_) {
        // A logger that was restarted or whose cable was pulled and put back has left real-time
        // mode: ask for the stream again (a failure has been reported; it is tried again later).
        assembler_.Clear();
        lastLineTick_ = lastSilenceReport_ = now;
        if (!StartRealtime()) {
            lastLineTick_ = lastSilenceReport_ = host.GetClock().TickMs();
        }
        return;
    }
    if (now - lastSilenceReport_ >= kSilenceReportMs && !linkLost_) {
        lastSilenceReport_ = now;
        ReportError(this, Str(kInvalidResponse));
    }
}

void WSNDR::HandleLine(const std::string& line) {
    std::vector<std::string> fields;
    switch (ParseNdrRealtimeLine(line, checksumMode_, fields)) {
        case LineVerdict::Ignored:
            return;
        case LineVerdict::Corrupt:
            ReportCorrupt();
            return;
        case LineVerdict::Ok:
            break;
    }
    const TimeT now = GetClock().Now();
    if (now == readingTime) {
        return;  // one reading per second
    }
    StoreReading(now, [&](std::vector<std::string>& table) {
        const std::size_t count =
            std::min({fields.size(), table.size(), static_cast<std::size_t>(std::max(rawChannelCount, 0))});
        for (std::size_t i = 0; i < count; ++i) {
            table[i] = std::move(fields[i]);
        }
    });
}

}  // namespace svu
