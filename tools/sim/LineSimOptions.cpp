#include "sim/LineSimOptions.h"

#include <cstdio>

#include "framework/TextUtil.h"
#include "sim/SimOptionParsing.h"

namespace svu::sim {

namespace {

bool ParseTime(const std::string& text, TimeT& time) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6 || mo < 1 || mo > 12 || d < 1 ||
        d > 31 || h > 23 || mi > 59 || s > 59) {
        return false;
    }
    time = FromLocal(y, mo, d, h, mi, s);
    return true;
}

}  // namespace

bool IsLineInstrument(const std::string& instrument) {
    return instrument == "wind" || instrument == "particles" || instrument == "triscan" || instrument == "slm";
}

bool ParseLineSimOptions(const std::string& instrument, const std::vector<std::string>& args, LineSimOptions& options,
                         bool& help, std::string& error) {
    options.instrument = instrument;
    const bool slm = instrument == "slm";
    const bool triscan = instrument == "triscan";
    const IntOption ints[] = {
        {"--period", &options.periodMs, 10, 3600000, true},
        {"--sample-seconds", &options.sampleSeconds, 1, 86400, instrument == "particles" || slm},
        {"--corrupt-every", &options.corruptEvery, 0, 1000000, true},
        {"--long-every", &options.longEvery, 0, 1000000, true},
        {"--wrong-byte-every", &options.wrongByteEvery, 0, 1000000, slm},
        {"--extra-byte-every", &options.extraByteEvery, 0, 1000000, slm},
        {"--silence-after", &options.silenceAfter, 0, 86400, true},
        {"--silence-for", &options.silenceFor, 0, 86400, true},
        {"--unplug-after", &options.unplugAfter, 0, 86400, true},
        {"--unplug-for", &options.unplugFor, 1, 86400, true},
        {"--records", &options.records, 0, 1000000, triscan},
        {"--record-seconds", &options.recordSeconds, 1, 86400, triscan},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        if (arg == "--silent") {
            options.silent = true;
            continue;
        }
        if (arg == "--verbose") {
            options.verbose = true;
            continue;
        }
        if (arg == "--online" && slm) {
            options.online = true;
            continue;
        }
        if (arg == "--streaming" && triscan) {
            options.streaming = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "unknown option or missing value: " + arg;
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--link") {
            options.linkPath = value;
            continue;
        }
        if (arg == "--transcript") {
            options.transcript = value;
            continue;
        }
        if (arg == "--seed") {
            long seed = 0;
            if (!ParseInt(value, 0, 2147483647L, seed)) {
                error = "--seed takes a whole number";
                return false;
            }
            options.seed = static_cast<uint64_t>(seed);
            continue;
        }
        if (arg == "--start-time") {
            TimeT time = 0;
            if (!ParseTime(value, time)) {
                error = "--start-time takes \"YYYY-MM-DD hh:mm:ss\"";
                return false;
            }
            options.startTime = time;
            continue;
        }
        if (!SetIntOption(ints, arg, value, error)) {
            return false;
        }
    }
    return true;
}

std::string LineSimHelp(const std::string& instrument) {
    std::string text = "Usage: stratavue-sim " + instrument + " [OPTIONS]\n\n";
    if (instrument == "wind") {
        text += "A wind speed and direction sensor: sends \"WSD ddd ss.s A\" lines by itself.\n";
    } else if (instrument == "particles") {
        text += "A particle counter: sends \"dd/mm/yy,hh:mm:ss,c0,c1,c2,c3,period\" lines by itself.\n";
    } else if (instrument == "triscan") {
        text += "A Triscan wind station: \"X\" starts its \"speed,direction\" stream, \"Z\" stops it, \"T\"\n"
                "sends its logged records (a start line, \"offset,values\" lines, \"EOF\").\n";
    } else {
        text += "A sound level meter: answers the poll bytes C3/C4 with 8 bytes (F8, flags, LEQ, Peak, SPL\n"
                "in 1/320 dB), or with --online sends period and profile function lines by itself.\n";
    }
    text += "\nOptions:\n"
            "  --link PATH              keep a symbolic link to the device at PATH\n"
            "  --period MS              milliseconds between lines sent (default 1000)\n"
            "  --start-time \"YYYY-MM-DD hh:mm:ss\"  the instrument clock at start\n"
            "  --seed N                 the values' random seed\n"
            "  --transcript FILE        append every good value set sent to FILE\n"
            "  --corrupt-every N        damage every Nth line\n"
            "  --long-every N           send every Nth line 1500 bytes long\n"
            "  --silent                 never send or answer\n"
            "  --silence-after S --silence-for S   fall silent for a while, again and again\n"
            "  --unplug-after S --unplug-for S     the cable is pulled, and put back later\n"
            "  --verbose                tell what happens on the standard error\n";
    if (instrument == "particles" || instrument == "slm") {
        text += "  --sample-seconds S       seconds each stamped line moves the instrument clock (default 60)\n";
    }
    if (instrument == "triscan") {
        text += "  --streaming              stream from the start\n"
                "  --records N              records in memory (default 24)\n"
                "  --record-seconds S       seconds between records (default 600)\n";
    }
    if (instrument == "slm") {
        text += "  --online                 online mode: send lines instead of answering polls\n"
                "  --wrong-byte-every N     every Nth answer starts with a wrong byte\n"
                "  --extra-byte-every N     every Nth answer is 9 bytes long\n";
    }
    return text;
}

}  // namespace svu::sim
