// stratavue-cli instrument: what the Direct and Modem stations' "Channels" and "Others" pages and the
// "Download logged data" command do, from the command line: read or send the channel
// configuration, set the clock, get or set the logging interval and gust period, clear the
// logger's memory and download it into a log file. A Triscan station's logged data is
// downloaded the same way. Questions the program would ask are answered
// by --yes or --no (no by default).

#include <bit>
#include <ostream>
#include <string>

#include "cli/Cli.h"
#include "framework/SafeName.h"
#include "framework/ClassRegistry.h"
#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "loggers/WSNDR.h"
#include "loggers/WSTriscan.h"
#include "cli/StopSignals.h"
#include "runtime/ClassTables.h"
#include "stations/StationFile.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"
#include "stations/WSDirect.h"

namespace svu::cli {

namespace {

constexpr int kStationFileCorrupt = 263;
constexpr int kCannotGetChannels = 227;
constexpr int kCannotSetChannels = 228;
constexpr int kConfirmClear = 230;
constexpr int kClearFailed = 232;
constexpr int kInvalidResponse = 557;
constexpr const char* kCaption = "Stratavue";

// Messages go to the error stream; every Yes/No question gets the answer of the command line.
class AnsweringUi : public UserInterface {
public:
    AnsweringUi(std::ostream& err, bool yes) : headless_(err), err_(err), yes_(yes) {}
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                         int defaultButton) override {
        if (buttons != MsgButtons::YesNo) {
            return headless_.MessageBox(text, caption, buttons, icon, defaultButton);
        }
        err_ << text << (yes_ ? " yes (--yes)\n" : " no (--no or no answer given)\n") << std::flush;
        return yes_ ? MsgResult::Yes : MsgResult::No;
    }
    void ShowProgress(const std::string& text) override { headless_.ShowProgress(text); }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}

private:
    HeadlessUserInterface headless_;
    std::ostream& err_;
    bool yes_;
};

// The instrument operations run on the command's thread with nothing to stop them.
class InstrumentHost : public StationHost {
public:
    explicit InstrumentHost(UserInterface& ui) : ui_(ui) {}
    bool StopRequested() const override { return false; }
    UserInterface& Ui() override { return ui_; }
    Clock& GetClock() override { return SystemClock(); }

private:
    UserInterface& ui_;
};

// The data logger's download may be long: SIGINT or SIGTERM cancels it, leaving no file behind.
class CancellableHost : public InstrumentHost {
public:
    using InstrumentHost::InstrumentHost;
    bool StopRequested() const override { return StopSignalReceived(); }
};

// Hands the host to the station for the operations and takes it back afterwards.
class HostScope {
public:
    HostScope(WeatherStation& station, StationHost& host) : station_(station) { station_.host = &host; }
    ~HostScope() {
        station_.ClosePort();
        station_.host = nullptr;
    }
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

private:
    WeatherStation& station_;
};

float FloatOf(const std::vector<uint32_t>& table, int index, float fallback) {
    return index < static_cast<int>(table.size()) ? std::bit_cast<float>(table[static_cast<std::size_t>(index)])
                                                  : fallback;
}

void PrintConfiguration(std::ostream& out, const WSDirect& station) {
    out << FormatC("Channels: %d, counters: %d\nLogging interval: %d minutes\nGust period: %d seconds\n",
                   station.rawChannelCount, station.counterCount, station.loggerInterval, station.gustPeriod);
    out << FormatC("%4s  %-16s %14s %14s %5s\n", "No.", "Name", "Offset", "Multiplier", "Type");
    for (int i = 0; i < station.rawChannelCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        out << FormatC("%4d  %-16s %14.8g %14.8g %5u\n", i + 1,
                       at < station.channelNames.size() ? station.channelNames[at].c_str() : "",
                       FloatOf(station.channelOffsets, i, 0.0f), FloatOf(station.channelMultipliers, i, 1.0f),
                       at < station.channelTypes.size() ? station.channelTypes[at] : 0u);
    }
}

int Fail(Context& ctx, int stringId) {
    ctx.err << "stratavue-cli instrument: " << Str(stringId) << "\n";
    return kExitFailure;
}

// The cable and modem loggers (WSNDR) and the logger on a Harbury radio share the operations but
// not a base class; each opens and closes its own link.
template <class Logger>
int RunLoggerOperation(Context& ctx, Logger& logger, const std::string& action, const std::string& target,
                       UserInterface& ui) {
    StopSignals signals;
    CancellableHost host(ui);
    HostScope scope(logger, host);
    if (action == "clear-memory") {
        if (ui.MessageBox(Str(kConfirmClear), kCaption, MsgButtons::YesNo, MsgIcon::Question, 2) != MsgResult::Yes) {
            ctx.out << "The logger's memory was not cleared.\n";
            return kExitOk;
        }
        if (!logger.ClearMemory()) {
            return Fail(ctx, kClearFailed);
        }
        ctx.out << "The logger's memory was cleared.\n";
        return kExitOk;
    }
    logger.Download(target);
    if (StopSignalReceived()) {
        ctx.err << "stratavue-cli instrument: download cancelled\n";
        return kExitFailure;
    }
    if (!logger.LastOperationSucceeded()) {
        return kExitFailure;  // the reason has been shown
    }
    if (!logger.LoggerWasEmpty()) {
        ctx.out << logger.DownloadedRecords() << " records written to " << target << "\n";
    }
    return kExitOk;
}

}  // namespace

int RunInstrument(Context& ctx, Args& args) {
    const std::string name = args.Required("--station");
    const bool yes = args.Flag("--yes");
    const bool no = args.Flag("--no");
    if (yes && no) {
        throw UsageError{"--yes and --no exclude each other"};
    }
    const std::string action = args.Positional("ACTION");
    long number = 0;
    std::string target;
    if (action == "set-interval" || action == "set-gust") {
        const bool interval = action == "set-interval";
        number =
            Args::ToInteger(action, args.Positional(interval ? "the interval in minutes" : "the period in seconds"));
        if (number < 1 || number > (interval ? 9999 : 10)) {
            throw UsageError{interval ? "the logging interval is 1 to 9999 minutes"
                                      : "the gust period is 1 to 10 seconds"};
        }
    } else if (action == "download") {
        target = args.Positional("the log file to write");
    } else if (action != "read-config" && action != "write-config" && action != "set-clock" &&
               action != "get-interval" && action != "get-gust" && action != "clear-memory") {
        throw UsageError{"unknown action " + action};
    }
    args.ExpectEnd();

    Settings settings(ctx.programDir);
    SetReportFolder(settings.ProgramDir());
    ClassRegistry classes;
    RegisterAllClasses(classes);
    StationFileResult file = LoadStationFile(ctx.StationFilePath(), classes);
    if (!file.Ok()) {
        ctx.err << Str(kStationFileCorrupt) << "\nstratavue-cli instrument: " << ctx.StationFilePath() << ": "
                << file.error << "\n";
        return kExitFailure;
    }
    WSDirect* station = nullptr;
    WSTriscan* triscan = nullptr;
    WSNDR* logger = nullptr;
    WSCalyraHarburyRadio* radioLogger = nullptr;
    for (const auto& candidate : file.stations) {
        if (candidate->name == name) {
            station = dynamic_cast<WSDirect*>(candidate.get());
            triscan = dynamic_cast<WSTriscan*>(candidate.get());
            logger = dynamic_cast<WSNDR*>(candidate.get());
            radioLogger = dynamic_cast<WSCalyraHarburyRadio*>(candidate.get());
            // A Triscan station keeps its logged data; its download is its one operation. The data
            // logger's memory is downloaded and cleared.
            const bool loggerAction = (logger != nullptr || radioLogger != nullptr) &&
                                      (action == "download" || action == "clear-memory");
            if (station == nullptr && !loggerAction && (triscan == nullptr || action != "download")) {
                ctx.err << "stratavue-cli instrument: station \"" << EscapeControls(name) << "\" has no instrument operation \""
                        << action << "\" (" << candidate->ClassName() << ")\n";
                return kExitUsage;
            }
            break;
        }
    }
    if (station == nullptr && triscan == nullptr && logger == nullptr && radioLogger == nullptr) {
        ctx.err << "stratavue-cli instrument: no station named \"" << EscapeControls(name) << "\"\n";
        return kExitUsage;
    }

    AnsweringUi ui(ctx.err, yes);
    InstrumentHost host(ui);
    if (logger != nullptr) {
        return RunLoggerOperation(ctx, *logger, action, target, ui);
    }
    if (radioLogger != nullptr) {
        return RunLoggerOperation(ctx, *radioLogger, action, target, ui);
    }
    if (triscan != nullptr) {
        HostScope scope(*triscan, host);
        triscan->Download(target);
        if (!triscan->LastOperationSucceeded()) {
            return kExitFailure;  // the reason has been shown
        }
        ctx.out << triscan->DownloadedRecords() << " records written to " << target << "\n";
        return kExitOk;
    }
    bool changed = false;  // the station's settings changed and go back into the station file
    {
        HostScope scope(*station, host);
        int value = 0;
        if (action == "read-config") {
            station->GetLoggerInterval(value);
            bool ok = station->LastOperationSucceeded();
            station->GetGustPeriod(value);
            ok = ok && station->LastOperationSucceeded() && station->ReadConfiguration();
            if (!ok) {
                return Fail(ctx, kCannotGetChannels);
            }
            PrintConfiguration(ctx.out, *station);
            changed = true;
        } else if (action == "write-config") {
            station->SetLoggerInterval(station->loggerInterval);
            bool ok = station->LastOperationSucceeded();
            station->SetGustPeriod(station->gustPeriod);
            if (!ok || !station->LastOperationSucceeded() || !station->WriteConfiguration()) {
                return Fail(ctx, kCannotSetChannels);
            }
            ctx.out << "Configuration of " << station->rawChannelCount << " channels sent.\n";
        } else if (action == "set-clock") {
            station->SetClock();
            if (!station->LastOperationSucceeded()) {
                return Fail(ctx, kInvalidResponse);
            }
            ctx.out << "Clock set.\n";
        } else if (action == "get-interval" || action == "get-gust") {
            const bool interval = action == "get-interval";
            if (interval) {
                station->GetLoggerInterval(value);
            } else {
                station->GetGustPeriod(value);
            }
            if (!station->LastOperationSucceeded()) {
                return Fail(ctx, kInvalidResponse);
            }
            ctx.out << FormatC(interval ? "Logging interval: %d minutes\n" : "Gust period: %d seconds\n", value);
            changed = true;
        } else if (action == "set-interval" || action == "set-gust") {
            const bool interval = action == "set-interval";
            (interval ? station->loggerInterval : station->gustPeriod) = static_cast<int32_t>(number);
            if (interval) {
                station->SetLoggerInterval(static_cast<int>(number));
            } else {
                station->SetGustPeriod(static_cast<int>(number));
            }
            if (!station->LastOperationSucceeded()) {
                return Fail(ctx, kInvalidResponse);
            }
            ctx.out << FormatC(
                interval ? "Logging interval set to %ld minutes.\n" : "Gust period set to %ld seconds.\n", number);
            changed = true;
        } else if (action == "clear-memory") {
            if (ui.MessageBox(Str(kConfirmClear), kCaption, MsgButtons::YesNo, MsgIcon::Question, 2) !=
                MsgResult::Yes) {
                ctx.out << "The logger's memory was not cleared.\n";
                return kExitOk;
            }
            if (!station->ClearMemory()) {
                return Fail(ctx, kClearFailed);
            }
            ctx.out << "The logger's memory was cleared.\n";
        } else {
            station->Download(target);
            if (!station->LastOperationSucceeded()) {
                return kExitFailure;  // the reason has been shown
            }
            ctx.out << "Logged data written to " << target << "\n";
        }
    }
    if (changed) {
        std::string error;
        if (!SaveStationFile(ctx.StationFilePath(), file.stations, &error)) {
            ctx.err << "stratavue-cli instrument: cannot save " << ctx.StationFilePath() << ": " << error << "\n";
            return kExitFailure;
        }
    }
    return kExitOk;
}

}  // namespace svu::cli
