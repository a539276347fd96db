// stratavue-cli rainfall: the weekly and monthly rainfall totals of a station's logs, printed as
// the result box shows them.

#include <ostream>

#include "cli/Cli.h"
#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/SafeName.h"
#include "framework/Settings.h"
#include "historic/RainfallTotals.h"
#include "runtime/Runtime.h"
#include "stations/WeatherStation.h"

namespace svu::cli {

bool LoadProgramStations(Context& ctx, const std::string& command, Runtime& runtime);
WeatherStation* FindNamedStation(Context& ctx, const std::string& command, Runtime& runtime, const std::string& name);

namespace {

RainUnit UnitOption(Args& args, const std::string& option) {
    const std::string text = args.Required(option);
    const std::optional<RainUnit> unit = ParseRainUnit(text);
    if (!unit) {
        throw UsageError{option + " takes mm, cm or inches, not \"" + text + "\""};
    }
    return *unit;
}

// The channel given by its 0-based index or by its name; -1 after a one-line error.
int FindChannel(Context& ctx, const WeatherStation& station, const std::string& text) {
    const int count = std::min<int>(station.channelCount, static_cast<int>(station.channelNames.size()));
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos && text.size() < 9) {
        const int index = std::stoi(text);
        if (index < count) {
            return index;
        }
    } else {
        for (int i = 0; i < count; ++i) {
            if (station.channelNames[static_cast<std::size_t>(i)] == text) {
                return i;
            }
        }
    }
    ctx.err << "stratavue-cli rainfall: station \"" << EscapeControls(station.name) << "\" has no channel "
            << EscapeControls(text) << "\n";
    return -1;
}

}  // namespace

int RunRainfall(Context& ctx, Args& args) {
    const std::string period = args.Positional("the period (weekly or monthly)");
    if (period != "weekly" && period != "monthly") {
        throw UsageError{"unknown period " + period};
    }
    const std::string name = args.Required("--station");
    const std::string channelText = args.Required("--channel");
    const RainUnit logged = UnitOption(args, "--logged");
    const RainUnit shown = UnitOption(args, "--display");
    CalendarDay start;
    if (period == "weekly") {
        const std::string text = args.Required("--start");
        const std::optional<CalendarDay> day = ParseIsoDay(text);
        if (!day || day->year < 1970) {
            throw UsageError{"--start takes a date from 1970-01-01 on as YYYY-MM-DD, not \"" + text + "\""};
        }
        start = *day;
    } else {
        start.month = static_cast<int>(Args::ToInteger("--month", args.Required("--month")));
        start.year = static_cast<int>(Args::ToInteger("--year", args.Required("--year")));
        if (start.month < 1 || start.month > 12 || start.year < 1970 || start.year > 9999) {
            throw UsageError{"--month takes 1 to 12 and --year 1970 or later"};
        }
    }
    args.ExpectEnd();

    Settings settings(ctx.programDir);
    HeadlessUserInterface ui(ctx.err);
    Runtime runtime(settings, ui, SystemClock());
    if (!LoadProgramStations(ctx, "rainfall", runtime)) {
        return kExitFailure;
    }
    const WeatherStation* station = FindNamedStation(ctx, "rainfall", runtime, name);
    if (station == nullptr) {
        return kExitUsage;
    }
    const int channel = FindChannel(ctx, *station, channelText);
    if (channel < 0) {
        return kExitUsage;
    }
    const RainfallReport report =
        period == "weekly"
            ? WeeklyRainfall(station->logFolder, station->name, channel, logged, shown, start)
            : MonthlyRainfall(station->logFolder, station->name, channel, logged, shown, start.year, start.month);
    ctx.out << report.text << "\n";
    return kExitOk;
}

}  // namespace svu::cli
