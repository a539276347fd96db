#include <ostream>

#include "Version.h"
#include "cli/Cli.h"

namespace svu::cli {

namespace {

int Version(Context& ctx, Args& args) {
    args.ExpectEnd();
    ctx.out << kProductName << " " << kProductVersion << "\n";
    return kExitOk;
}

}  // namespace

int RunStations(Context& ctx, Args& args);
int RunService(Context& ctx, Args& args);
int RunReplay(Context& ctx, Args& args);
int RunRainfall(Context& ctx, Args& args);
int RunLogs(Context& ctx, Args& args);
int RunInstrument(Context& ctx, Args& args);
int RunDisplayCommand(Context& ctx, Args& args);
int RunLive(Context& ctx, Args& args);
int RunHistoric(Context& ctx, Args& args);

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"version", "", "Prints the program's version.", Version},
        {"stations", "show [FILE] [--json] | resave IN OUT | export-json [FILE] OUT.json | import-json IN.json OUT.wsf",
         "Shows, rewrites or converts a station definition file (FILE defaults to stratavue.wsf).", RunStations},
        {"run", "[--for SECONDS] [--http ADDRESS:PORT]",
         "Acquires from the active stations until SIGINT or SIGTERM (or SECONDS).",
         RunService},
        {"replay", "--station NAME", "Runs a file station's whole log once through its processing, at full speed.",
         RunReplay},
        {"rainfall",
         "weekly|monthly --station NAME --channel INDEX|NAME --logged U --display U (--start YYYY-MM-DD | --month M "
         "--year YYYY)",
         "Prints a weekly or monthly rainfall total from the daily logs (U: mm, cm or inches).", RunRainfall},
        {"logs", "combine --station NAME --from YYYY-MM-DD --to YYYY-MM-DD --out FILE | convert-old IN OUT",
         "Combines a station's daily logs over a period, or converts an old log file.", RunLogs},
        {"instrument",
         "--station NAME read-config|write-config|set-clock|get-interval|set-interval N|get-gust|set-gust N|"
         "clear-memory|download OUT.log [--yes|--no]",
         "Talks to a Direct station's instrument (a Triscan station's: download); --yes or --no answers its "
         "questions (default no).",
         RunInstrument},
        {"display", "show FILE.svu [--json] | resave IN OUT | import-json IN.json OUT.svu [--skip-unavailable]",
         "Shows, rewrites or writes a display file (import-json reads what show --json prints).", RunDisplayCommand},
        {"live", "request TOPIC ITEM [--port N] | advise TOPIC ITEM... [--count N] [--port N]",
         "Reads a value from the live-value server of the program running in this folder, or prints the notices "
         "of advise links until Ctrl+C (or N notices).",
         RunLive},
        {"historic",
         "export (--station NAME | --file LOG) --from \"YYYY-MM-DD hh:mm\" --to \"...\" [--channels A,B] [--csv] | "
         "windrose (--station NAME | --file LOG) --direction CH --speed CH --from ... --to ... [--sectors 16] "
         "[--read-as MPS|KPH|MPH|KNOTS] [--display-as Meters|km|Miles|\"Nautical Miles\"] [--json]",
         "Prints the logged readings of a period (as the historic table, or CSV), or its wind rose table.",
         RunHistoric},
    };
    return commands;
}

}  // namespace svu::cli
