#include "loggers/WSCalyraHarburyRadio.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/StringTable.h"
#include "loggers/NdrDownload.h"
#include "loggers/NdrProtocol.h"
#include "loggers/NdrRealtimeRequest.h"
#include "loggers/NdrSession.h"
#include "loggers/NdrSessionCommandLine.h"
#include "platform/SerialControl.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kInvalidResponse = 557;
constexpr int kDownloadingConfiguration = 109;
constexpr int kUploadingConfiguration = 477;
constexpr auto kEscapeSettle = std::chrono::milliseconds(200);

}  // namespace

WSCalyraHarburyRadio::WSCalyraHarburyRadio() : WSRadioModemVela(kTypeCode, std::string()) {}

WSCalyraHarburyRadio::WSCalyraHarburyRadio(std::string stationName)
    : WSRadioModemVela(kTypeCode, std::move(stationName)) {}

WSCalyraHarburyRadio::WSCalyraHarburyRadio(const WSCalyraHarburyRadio& other)
    : WSRadioModemVela(other), ndr(other.ndr), txAddress(other.txAddress) {}

WSCalyraHarburyRadio::~WSCalyraHarburyRadio() = default;

std::unique_ptr<WeatherStation> WSCalyraHarburyRadio::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSCalyraHarburyRadio(*this));
}

void WSCalyraHarburyRadio::VisitKindFields(FieldVisitor& v) {
    ndr.VisitFields(v);
    v.Int32("port", port);
    v.Int32("baudRate", baudRate);
    v.Int32("address", address);
    v.Int32("txAddress", txAddress);
    v.Float("frequency", frequency);
    v.Int32("extra", extra);
    if (!v.IsLoading() || v.Schema() >= 9) {
        v.Int32("radioType", radioType);
    } else {
        radioType = 0;
    }
}

UserInterface& WSCalyraHarburyRadio::Ui() {
    if (host != nullptr) {
        return host->Ui();
    }
    static HeadlessUserInterface headless;
    return headless;
}

NdrSession& WSCalyraHarburyRadio::Session() {
    if (!stream_) {
        stream_ = std::make_unique<SerialControlStream>([this] { return Comm(); });
    }
    if (!session_) {
        NdrSessionHooks hooks;
        hooks.cancelled = [this] { return StopRequested(); };
        hooks.report = [this](const std::string& text) { ReportError(this, text); };
        hooks.refused = [this](const std::string& command, const std::string& reply) {
            Ui().MessageBox(command + "\n" + reply, kCaption, MsgButtons::Ok, MsgIcon::Stop);
        };
        session_ = std::make_unique<NdrSession>(*stream_, GetClock(), std::move(hooks));
    }
    return *session_;
}

bool WSCalyraHarburyRadio::Connect() {
    if (!TuneRadio()) {
        return false;
    }
    session_.reset();  // a new conversation, on the clock of whoever runs it now
    return Session().EnterCommandMode(kMenuAttempts);
}

void WSCalyraHarburyRadio::LeaveCommandMode() {
    if (portOpen && Comm() != nullptr) {
        Session().SendByte(kNdrEscape);
        Pause(static_cast<int>(kEscapeSettle.count()));
        Session().DiscardInput();
    }
}

std::string WSCalyraHarburyRadio::Transact(const std::string& command) {
    // A reply garbled on the air is not taken: the exchange is repeated until two agree.
    std::string previous;
    bool havePrevious = false;
    for (int n = 0; n < 4 && portOpen; ++n) {
        std::string reply;
        if (!Session().Transact(command, &reply)) {
            return {};
        }
        if (havePrevious && reply == previous) {
            return reply;
        }
        previous = std::move(reply);
        havePrevious = true;
    }
    return {};
}

bool WSCalyraHarburyRadio::SendOnly(const std::string& command) {
    return portOpen && Session().SendOnly(command);
}

void WSCalyraHarburyRadio::RunTurn(StationHost&) {
    if (!Connect()) {
        ReleaseRadio();
        return;
    }
    std::vector<std::string> values;
    const bool ok = TakeNdrRealtimeLine(Session(), kAttempts, [this] { ReportCorrupt(); }, values);
    const TimeT now = GetClock().Now();
    // Back to the menu before the radio is handed on: the next turn starts from there.
    Session().SendByte(kNdrEscape);
    LeaveCommandMode();
    ReleaseRadio();
    if (!ok) {
        return;
    }
    StoreReading(now, [&](std::vector<std::string>& table) {
        const std::size_t count =
            std::min({values.size(), table.size(), static_cast<std::size_t>(std::max(rawChannelCount, 0))});
        for (std::size_t i = 0; i < count; ++i) {
            table[i] = std::move(values[i]);
        }
    });
}

bool WSCalyraHarburyRadio::WithCommandLine(const std::function<bool(NdrCommandLine&)>& work) {
    UserInterface& ui = Ui();
    if (!Connect()) {
        if (!StopRequested()) {
            ui.MessageBox(Str(kInvalidResponse), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        }
        ReleaseRadio();
        return false;
    }
    NdrSessionCommandLine line(Session(), ui);
    const bool ok = work(line);
    LeaveCommandMode();
    ReleaseRadio();
    return ok;
}

bool WSCalyraHarburyRadio::ClearMemory() {
    UserInterface& ui = Ui();
    ui.BeginWaitCursor();
    const bool ok = WithCommandLine([](NdrCommandLine& line) { return ClearNdrMemory(line); });
    ui.EndWaitCursor();
    return ok;
}

void WSCalyraHarburyRadio::Download(const std::string& targetPath) {
    NdrDownloadLink link;
    link.connect = [this] { return Connect(); };
    link.session = [this]() -> NdrSession& { return Session(); };
    link.leave = [this] { LeaveCommandMode(); };
    link.close = [this] { ReleaseRadio(); };
    const NdrDownloadResult result = DownloadNdrMemory(*this, Ui(), link, targetPath);
    lastOperationOk_ = result.ok;
    loggerEmpty_ = result.empty;
    downloaded_ = result.records;
}

bool WSCalyraHarburyRadio::ReadConfiguration() {
    Ui().ShowProgress(Str(kDownloadingConfiguration));
    return WithCommandLine([&](NdrCommandLine& line) { return ndr.ReadFromLogger(line); });
}

bool WSCalyraHarburyRadio::WriteConfiguration() {
    Ui().ShowProgress(Str(kUploadingConfiguration));
    return WithCommandLine([&](NdrCommandLine& line) { return ndr.WriteToLogger(line); });
}

}  // namespace svu
