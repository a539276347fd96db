// stratavue-cli replay: runs a file station's whole log once through the station's processing
// (derived channels, alarms, network file, logging) as fast as the machine allows, so old logs can
// be reprocessed with new derived channels, alarms and logging settings.

#include <unistd.h>

#include <chrono>
#include <ostream>

#include "cli/Cli.h"
#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/RegularFile.h"
#include "framework/SafeName.h"
#include "framework/Settings.h"
#include "framework/TextUtil.h"
#include "runtime/Runtime.h"
#include "stations/StationReports.h"
#include "stations/WSFile.h"

namespace svu::cli {

bool LoadProgramStations(Context& ctx, const std::string& command, Runtime& runtime);
WeatherStation* FindNamedStation(Context& ctx, const std::string& command, Runtime& runtime, const std::string& name);

int RunReplay(Context& ctx, Args& args) {
    const std::string name = args.Required("--station");
    args.ExpectEnd();

    Settings settings(ctx.programDir);
    SetReportFolder(settings.ProgramDir());
    HeadlessUserInterface ui(ctx.err);
    Runtime runtime(settings, ui, SystemClock());
    if (!LoadProgramStations(ctx, "replay", runtime)) {
        return kExitFailure;
    }
    WeatherStation* station = FindNamedStation(ctx, "replay", runtime, name);
    if (station == nullptr) {
        return kExitUsage;
    }
    auto* file = dynamic_cast<WSFile*>(station);
    if (file == nullptr) {
        ctx.err << "stratavue-cli replay: station \"" << name << "\" is not a file station\n";
        return kExitUsage;
    }
    std::string error;
    if (const int fd = OpenRegularFile(file->inputFile, &error); fd >= 0) {
        ::close(fd);
    } else {
        ctx.err << "stratavue-cli replay: cannot open the input file: " << EscapeControls(error) << "\n";
        return kExitFailure;
    }

    const auto start = std::chrono::steady_clock::now();
    const WSFile::ReplayCounts counts = file->ReplayOnce(runtime);
    FlushReportRepeats();  // the counts of repeated reports, so error.txt is complete
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = elapsed > 0 ? static_cast<double>(counts.records) / elapsed : 0.0;
    ctx.out << FormatC("%ld records replayed in %.3f s: %.0f records per second\n", counts.records, elapsed, rate);
    if (counts.damaged > 0) {
        ctx.out << FormatC("%ld damaged lines passed over (see error.txt)\n", counts.damaged);
    }
    for (const std::string& text : TakeNotices()) {
        ctx.err << "stratavue-cli replay: " << text << "\n";
    }
    if (counts.records == 0) {
        ctx.err << "stratavue-cli replay: the input file \"" << EscapeControls(file->inputFile)
                << "\" holds no readable record\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace svu::cli
