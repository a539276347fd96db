// stratavue-cli run: the service. Loads the program folder's stations and settings, acquires from
// every active station, runs the refresh steps every 10 ms (alerts to standard output, web pages),
// serves live values and publishes to MQTT when the settings ask, and stops cleanly on SIGINT,
// SIGTERM, SIGHUP or after the time asked for. SIGHUP stops rather than reloads: a service manager
// restarts the service to load a changed configuration. SIGPIPE (the output closed) and SIGXFSZ (a
// file size limit reached) are ignored: the writes that meet them fail and are reported instead of
// ending the service with its logs open.

#include <chrono>
#include <optional>
#include <cstdlib>
#include <ostream>
#include <thread>

#include "cli/Cli.h"
#include "cli/ServiceOutputs.h"
#include "cli/StopSignals.h"
#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/SafeName.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "outputs/WebRequestParsing.h"
#include "outputs/WebServerSettings.h"
#include "runtime/Runtime.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu::cli {

namespace {

constexpr int kStationFileCorrupt = 263;
constexpr auto kRefreshPeriod = std::chrono::milliseconds(10);

}  // namespace

/// Loads the program folder's station file into the runtime; on failure prints string 263 and the
/// reason, and returns false.
bool LoadProgramStations(Context& ctx, const std::string& command, Runtime& runtime) {
    const StationFileResult result = runtime.LoadStations();
    if (result.Ok()) {
        return true;
    }
    ctx.err << Str(kStationFileCorrupt) << "\n"
            << "stratavue-cli " << command << ": " << ctx.StationFilePath() << ": " << result.error << "\n";
    return false;
}

namespace {

// Alert text for a terminal: its CR LF line ends stay, any other control character from a name
// (an escape sequence, say) is shown escaped.
std::string EscapeTerminalText(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        const bool cr = line.ends_with('\r');
        if (cr) {
            line.remove_suffix(1);
        }
        out += EscapeControls(line);
        if (end == std::string_view::npos) {
            break;
        }
        out += cr ? "\r\n" : "\n";
        text.remove_prefix(end + 1);
    }
    return out;
}

}  // namespace

/// The station of that name; nullptr after a one-line error.
WeatherStation* FindNamedStation(Context& ctx, const std::string& command, Runtime& runtime, const std::string& name) {
    WeatherStation* station = runtime.FindStation(name);
    if (station == nullptr) {
        ctx.err << "stratavue-cli " << command << ": no station named \"" << EscapeControls(name) << "\"\n";
    }
    return station;
}

int RunService(Context& ctx, Args& args) {
    std::string forText;
    const bool limited = args.Option("--for", forText);
    const long seconds = limited ? Args::ToInteger("--for", forText) : 0;
    std::string httpText;
    const bool http = args.Option("--http", httpText);
    args.ExpectEnd();
    if (seconds < 0) {
        throw UsageError{"--for takes a number of seconds of 0 or more"};
    }

    Settings settings(ctx.programDir);
    SetReportFolder(settings.ProgramDir());
    HeadlessUserInterface ui(ctx.err);
    Runtime runtime(settings, ui, SystemClock());
    if (!LoadProgramStations(ctx, "run", runtime)) {
        return kExitFailure;
    }
    if (http) {
        std::string error;
        const std::optional<HttpEndpoint> endpoint = ParseHttpEndpoint(httpText, &error);
        if (!endpoint) {
            throw UsageError{"--http " + httpText + ": " + error};
        }
        WebServerSettings web = LoadWebServerSettings(settings);
        web.active = 1;
        web.address = endpoint->address;
        web.port = endpoint->port;
        runtime.LiveSetup().SetWebServerOverride(web);
    }
    // Live values, MQTT and the web server carry on without what could not be started; the
    // reasons are shown.
    for (const std::string& problem : runtime.StartLiveOutputs()) {
        ctx.err << "stratavue-cli run: " << problem << "\n";
    }
    if (const WebApiServer* web = runtime.Live().Web()) {
        const std::string& address = web->Address();
        const bool v6 = address.find(':') != std::string::npos;
        ctx.err << "stratavue-cli run: web server on http://" << (v6 ? "[" : "") << address << (v6 ? "]" : "") << ":"
                << web->Port() << "/" << std::endl;
    } else if (http) {
        return kExitFailure;  // asked for on the command line: running without it would hide the fault
    }

    ServiceOutputs outputs(ctx, settings, runtime);
    StopSignals signals;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    if (!runtime.StartAcquisition()) {
        return kExitFailure;  // the reason went to standard error as a message box
    }
    auto nextTick = std::chrono::steady_clock::now();
    while (!StopSignalReceived() && (!limited || std::chrono::steady_clock::now() < deadline)) {
        // Only what is new: the whole history again on every change would grow without end.
        const RefreshResult refresh = runtime.Refresh();
        if (!refresh.newAlerts.empty()) {
            ctx.out << EscapeTerminalText(refresh.newAlerts) << std::flush;
        }
        nextTick += kRefreshPeriod;
        const auto now = std::chrono::steady_clock::now();
        if (nextTick < now) {
            nextTick = now;  // a slow tick is not caught up with a burst of ticks
        }
        std::this_thread::sleep_until(nextTick);
    }
    if (!runtime.StopAcquisition()) {
        // A thread stuck in the system still uses its station: the process ends here, its logs
        // written whole so far and closed by the system.
        const std::vector<std::string> notices = TakeNotices();
        for (const std::string& text : notices) {
            ctx.err << "stratavue-cli run: " << text << "\n";
        }
        ctx.err << "stratavue-cli run: stopped without waiting for every station" << std::endl;
        ctx.out.flush();
        std::_Exit(kExitFailure);
    }
    for (const std::string& text : TakeNotices()) {
        ctx.err << "warning: Stratavue: " << text << "\n";
    }
    return kExitOk;
}

}  // namespace svu::cli
