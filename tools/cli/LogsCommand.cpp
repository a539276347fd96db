// stratavue-cli logs: "Combine log files" and "Convert old log file".

#include <ostream>

#include "cli/Cli.h"
#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/SafeName.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "historic/LogCombiner.h"
#include "historic/LogConverter.h"
#include "runtime/Runtime.h"
#include "stations/WeatherStation.h"

namespace svu::cli {

bool LoadProgramStations(Context& ctx, const std::string& command, Runtime& runtime);
WeatherStation* FindNamedStation(Context& ctx, const std::string& command, Runtime& runtime, const std::string& name);

namespace {

CalendarDay DayOption(Args& args, const std::string& option) {
    const std::string text = args.Required(option);
    const std::optional<CalendarDay> day = ParseIsoDay(text);
    if (!day) {
        throw UsageError{option + " takes a date as YYYY-MM-DD, not \"" + text + "\""};
    }
    return *day;
}

int Combine(Context& ctx, Args& args) {
    const std::string name = args.Required("--station");
    const CalendarDay from = DayOption(args, "--from");
    const CalendarDay to = DayOption(args, "--to");
    const std::string out = args.Required("--out");
    args.ExpectEnd();

    Settings settings(ctx.programDir);
    HeadlessUserInterface ui(ctx.err);
    Runtime runtime(settings, ui, SystemClock());
    if (!LoadProgramStations(ctx, "logs", runtime)) {
        return kExitFailure;
    }
    const WeatherStation* station = FindNamedStation(ctx, "logs", runtime, name);
    if (station == nullptr) {
        return kExitUsage;
    }
    const CombineResult result = CombineLogFiles(station->logFolder, station->name, from, to, out);
    if (!result.refusal.empty()) {
        ctx.err << "stratavue-cli logs: " << EscapeControls(result.refusal) << "\n";
        return kExitFailure;
    }
    if (result.messageId != 0) {
        (result.written ? ctx.out : ctx.err) << Str(result.messageId) << "\n";
    }
    return result.written ? kExitOk : kExitFailure;
}

int Convert(Context& ctx, Args& args) {
    const std::string in = args.Positional("IN");
    const std::string out = args.Positional("OUT");
    args.ExpectEnd();
    const ConvertResult result = ConvertOldLogFile(in, out);
    if (result.messageId != 0) {
        ctx.err << Str(result.messageId) << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunLogs(Context& ctx, Args& args) {
    const std::string action = args.Positional("the action (combine or convert-old)");
    if (action == "combine") {
        return Combine(ctx, args);
    }
    if (action == "convert-old") {
        return Convert(ctx, args);
    }
    throw UsageError{"unknown action " + action};
}

}  // namespace svu::cli
