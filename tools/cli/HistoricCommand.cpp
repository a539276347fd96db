// stratavue-cli historic: the logged readings of a period as the historic table shows them (or as
// CSV for other tools), and the wind rose's sector table.

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <ostream>

#include "cli/Cli.h"
#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/Settings.h"
#include "framework/TextUtil.h"
#include "historic/DayFiles.h"
#include "historic/HistoricLog.h"
#include "historic/HistoricWindrose.h"
#include "runtime/Runtime.h"
#include "stations/WeatherStation.h"

namespace svu::cli {

bool LoadProgramStations(Context& ctx, const std::string& command, Runtime& runtime);
WeatherStation* FindNamedStation(Context& ctx, const std::string& command, Runtime& runtime, const std::string& name);

namespace {

// "YYYY-MM-DD hh:mm" or "YYYY-MM-DD hh:mm:ss" (also with a "T"), local time.
TimeT TimeOption(Args& args, const std::string& option) {
    const std::string text = args.Required(option);
    const std::optional<CalendarDay> day = ParseIsoDay(text.substr(0, 10));
    int hour = 0;
    int minute = 0;
    int second = 0;
    char tail = 0;
    const bool timeOk = text.size() > 11 && (text[10] == ' ' || text[10] == 'T') &&
                        (std::sscanf(text.c_str() + 11, "%2d:%2d:%2d%c", &hour, &minute, &second, &tail) == 3 ||
                         (second = 0, std::sscanf(text.c_str() + 11, "%2d:%2d%c", &hour, &minute, &tail) == 2));
    if (!day || !timeOk || hour > 23 || minute > 59 || second > 59 || hour < 0 || minute < 0 || second < 0) {
        throw UsageError{option + " takes a local time as \"YYYY-MM-DD hh:mm\", not \"" + text + "\""};
    }
    return FromLocal(day->year, day->month, day->day, hour, minute, second);
}

// A header channel given by its 0-based index or its name (blanks around names ignored).
int FindHeaderChannel(const std::vector<std::string>& names, const std::string& text) {
    if (!text.empty() && text.size() < 9 && text.find_first_not_of("0123456789") == std::string::npos) {
        const int index = std::stoi(text);
        return index < static_cast<int>(names.size()) ? index : -1;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::string(Trim(names[i])) == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Reads the period of the station (or of the file given with --file); false after a message.
bool LoadPeriod(Context& ctx, Args& args, HistoricLog& log, std::string& sourceName) {
    HistoricSource source;
    std::string station;
    const bool haveStation = args.Option("--station", station);
    source.downloaded = args.Option("--file", source.filePath);
    if (haveStation == source.downloaded) {
        throw UsageError{"give either --station NAME or --file LOG"};
    }
    const TimeT from = TimeOption(args, "--from");
    const TimeT to = TimeOption(args, "--to");
    if (haveStation) {
        Settings settings(ctx.programDir);
        HeadlessUserInterface ui(ctx.err);
        Runtime runtime(settings, ui, SystemClock());
        if (!LoadProgramStations(ctx, "historic", runtime)) {
            return false;
        }
        const WeatherStation* found = FindNamedStation(ctx, "historic", runtime, station);
        if (found == nullptr) {
            return false;
        }
        source.logFolder = found->logFolder;
        source.stationName = found->name;
    }
    sourceName = source.Name();
    switch (LoadHistoricRange(source, from, to, log)) {
        case HistoricLoadStatus::UnableToOpen:
            ctx.err << "stratavue-cli historic: Unable to open file\n";
            return false;
        case HistoricLoadStatus::NoData:
            ctx.err << "stratavue-cli historic: No data in range\n";
            return false;
        case HistoricLoadStatus::Ok:
            break;
    }
    return true;
}

std::string CsvText(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// ISO 8601 local time with its offset from UTC, so times around a clock change stay distinct.
std::string IsoTime(TimeT time) {
    std::tm tm{};
    const std::time_t t = static_cast<std::time_t>(time);
    localtime_r(&t, &tm);
    const long offset = tm.tm_gmtoff;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, offset < 0 ? '-' : '+', std::labs(offset) / 3600,
                  std::labs(offset) % 3600 / 60);
    return text;
}

int Export(Context& ctx, Args& args) {
    std::string channelList;
    const bool someChannels = args.Option("--channels", channelList);
    const bool csv = args.Flag("--csv");
    HistoricLog log;
    std::string sourceName;
    if (!LoadPeriod(ctx, args, log, sourceName)) {
        return kExitFailure;
    }
    args.ExpectEnd();
    std::vector<int> channels;
    if (someChannels) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = channelList.find(',', start);
            const std::string one = channelList.substr(start, comma == std::string::npos ? comma : comma - start);
            const int channel = FindHeaderChannel(log.channelNames, one);
            if (channel < 0) {
                ctx.err << "stratavue-cli historic: the log has no channel " << one << "\n";
                return kExitUsage;
            }
            channels.push_back(channel);
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    } else {
        for (std::size_t i = 0; i < log.channelNames.size(); ++i) {
            channels.push_back(static_cast<int>(i));
        }
    }
    const char separator = csv ? ',' : '\t';
    std::string text = csv ? "time" : "Date\tTime";
    for (int c : channels) {
        const std::string_view name = Trim(log.channelNames[static_cast<std::size_t>(c)]);
        text += separator;
        text += csv ? CsvText(name) : std::string(name);
    }
    text += '\n';
    for (std::size_t i = 0; i < log.Count(); ++i) {
        const std::string_view line = log.Line(i);
        if (csv) {
            text += IsoTime(log.Time(i));
        } else {
            text += LogDateText(line);
            text += '\t';
            text += LogTimeText(line);
        }
        for (int c : channels) {
            text += separator;
            text += csv ? CsvText(LogFieldText(line, c)) : std::string(LogFieldText(line, c));
        }
        text += '\n';
        if (text.size() > (1 << 20)) {
            ctx.out << text;
            text.clear();
        }
    }
    ctx.out << text;
    return kExitOk;
}

template <class Unit>
Unit UnitOption(Args& args, const std::string& option, const char* (*name)(Unit), Unit fallback) {
    std::string text;
    if (!args.Option(option, text)) {
        return fallback;
    }
    for (int u = 0; u < 4; ++u) {
        if (text == name(static_cast<Unit>(u))) {
            return static_cast<Unit>(u);
        }
    }
    throw UsageError{option + " does not know the unit \"" + text + "\""};
}

int Windrose(Context& ctx, Args& args) {
    const std::string direction = args.Required("--direction");
    const std::string speed = args.Required("--speed");
    RoseSettings settings;
    std::string sectors;
    if (args.Option("--sectors", sectors)) {
        settings.sectors = static_cast<int>(Args::ToInteger("--sectors", sectors));
        if (settings.sectors < 1 || settings.sectors > 360) {
            throw UsageError{"--sectors takes 1 to 360"};
        }
    }
    settings.readAs = UnitOption(args, "--read-as", RoseSpeedUnitName, RoseSpeedUnit::Mps);
    settings.displayAs = UnitOption(args, "--display-as", RoseRunUnitChoice, RoseRunUnit::Km);
    const bool json = args.Flag("--json");
    HistoricLog log;
    std::string sourceName;
    if (!LoadPeriod(ctx, args, log, sourceName)) {
        return kExitFailure;
    }
    args.ExpectEnd();
    settings.directionChannel = FindHeaderChannel(log.channelNames, direction);
    settings.speedChannel = FindHeaderChannel(log.channelNames, speed);
    if (settings.directionChannel < 0 || settings.speedChannel < 0) {
        ctx.err << "stratavue-cli historic: the log has no channel "
                << (settings.directionChannel < 0 ? direction : speed) << "\n";
        return kExitUsage;
    }
    const RoseResult rose = ComputeRose(log, settings);
    const std::string unit = RoseRunUnitHeading(settings.displayAs);
    if (json) {
        nlohmann::json out;
        out["source"] = sourceName;
        out["unit"] = unit;
        out["readings"] = log.Count();
        for (int s = 0; s < rose.Sectors(); ++s) {
            out["sectors"].push_back({{"sector", RoseSectorName(s, rose.Sectors())},
                                      {"run", rose.run[static_cast<std::size_t>(s)]},
                                      {"percent", rose.percent[static_cast<std::size_t>(s)]}});
        }
        out["total"] = rose.total;
        ctx.out << out.dump(2) << "\n";
        return kExitOk;
    }
    ctx.out << "Sector\t" << unit << "\t%\n";
    for (int row = 0; row <= rose.Sectors(); ++row) {
        const RoseTableRow r = RoseTableRowText(rose, row);
        ctx.out << r.sector << '\t' << r.run << (r.percent.empty() ? "" : "\t") << r.percent << "\n";
    }
    return kExitOk;
}

}  // namespace

int RunHistoric(Context& ctx, Args& args) {
    const std::string action = args.Positional("the action (export or windrose)");
    if (action == "export") {
        return Export(ctx, args);
    }
    if (action == "windrose") {
        return Windrose(ctx, args);
    }
    throw UsageError{"unknown action " + action};
}

}  // namespace svu::cli
