// stratavue-cli run: the service. Loads the program folder's stations and settings, acquires from
// every active station, runs the refresh steps every 10 ms (alerts to standard output, web pages),
// serves live values and publishes to MQTT when the settings ask, and stops cleanly on SIGINT,
// SIGTERM or after the time asked for.

#include <chrono>
#include <ostream>
#include <thread>

#include "cli/Cli.h"
#include "cli/ServiceOutputs.h"
#include "cli/StopSignals.h"
#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
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

/// The station of that name; nullptr after a one-line error.
WeatherStation* FindNamedStation(Context& ctx, const std::string& command, Runtime& runtime, const std::string& name) {
    WeatherStation* station = runtime.FindStation(name);
    if (station == nullptr) {
        ctx.err << "stratavue-cli " << command << ": no station named \"" << name << "\"\n";
    }
    return station;
}

int RunService(Context& ctx, Args& args) {
    std::string forText;
    const bool limited = args.Option("--for", forText);
    const long seconds = limited ? Args::ToInteger("--for", forText) : 0;
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
    // Live values and MQTT carry on without what could not be started; the reasons are shown.
    for (const std::string& problem : runtime.StartLiveOutputs()) {
        ctx.err << "stratavue-cli run: " << problem << "\n";
    }

    ServiceOutputs outputs(ctx, settings, runtime);
    StopSignals signals;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    runtime.StartAcquisition();
    auto nextTick = std::chrono::steady_clock::now();
    while (!StopSignalReceived() && (!limited || std::chrono::steady_clock::now() < deadline)) {
        if (runtime.Refresh().alertsChanged) {
            ctx.out << runtime.AlertsText() << std::flush;
        }
        nextTick += kRefreshPeriod;
        const auto now = std::chrono::steady_clock::now();
        if (nextTick < now) {
            nextTick = now;  // a slow tick is not caught up with a burst of ticks
        }
        std::this_thread::sleep_until(nextTick);
    }
    runtime.StopAcquisition();
    return kExitOk;
}

}  // namespace svu::cli
