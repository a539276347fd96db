#include "sim/DirectSimOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "framework/TextUtil.h"

namespace svu::sim {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

bool ParseNumber(const std::string& text, double& value) {
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.find_first_not_of("+-0123456789.eE") != std::string_view::npos) {
        return false;
    }
    value = AtoF(trimmed);
    return true;
}

bool ParseInt(const std::string& text, long minimum, long maximum, long& value) {
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.find_first_not_of("+-0123456789") != std::string_view::npos) {
        return false;
    }
    value = AtoL(trimmed);
    return value >= minimum && value <= maximum;
}

bool ParsePattern(const std::string& text, ValuePattern& pattern, std::string& error) {
    const std::vector<std::string> parts = Split(text, ':');
    struct Form {
        const char* name;
        ValuePattern::Kind kind;
        std::size_t arguments;
    };
    static constexpr Form kForms[] = {{"const", ValuePattern::Kind::Constant, 1},
                                      {"sine", ValuePattern::Kind::Sine, 3},
                                      {"ramp", ValuePattern::Kind::Ramp, 3},
                                      {"random", ValuePattern::Kind::Random, 2},
                                      {"pulse", ValuePattern::Kind::Pulse, 2}};
    for (const Form& form : kForms) {
        if (parts[0] != form.name) {
            continue;
        }
        if (parts.size() != form.arguments + 1) {
            error = "pattern \"" + text + "\" needs " + std::to_string(form.arguments) + " number(s)";
            return false;
        }
        double values[3] = {0, 0, 0};
        for (std::size_t i = 0; i < form.arguments; ++i) {
            if (!ParseNumber(parts[i + 1], values[i])) {
                error = "pattern \"" + text + "\": \"" + parts[i + 1] + "\" is not a number";
                return false;
            }
        }
        pattern = ValuePattern{form.kind, values[0], values[1], values[2]};
        if ((form.kind == ValuePattern::Kind::Sine || form.kind == ValuePattern::Kind::Ramp) && pattern.c <= 0) {
            error = "pattern \"" + text + "\": the period must be above 0";
            return false;
        }
        return true;
    }
    error = "unknown value pattern \"" + text + "\"";
    return false;
}

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

bool ParseStartTime(const std::string& text, TimeT& time) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char separator = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &year, &month, &day, &separator, &hour, &minute, &second) !=
            7 ||
        (separator != ' ' && separator != 'T') || year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 ||
        hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    time = FromLocal(year, month, day, hour, minute, second);
    return true;
}

}  // namespace

std::vector<SimChannel> DefaultChannels() {
    using K = ValuePattern::Kind;
    return {
        {"Temperature", 1, {K::Sine, 10, 6, 86400}, 1, {}, {}},
        {"Humidity", 2, {K::Sine, 75, 15, 86400}, 0, {}, {}},
        {"Pressure", 4, {K::Sine, 1013, 8, 172800}, 1, {}, {}},
        {"Wind speed", 8, {K::Random, 0, 12, 0}, 1, {}, {}},
        {"Wind direction", 3, {K::Random, 0, 359, 0}, 0, {}, {}},
        {"Rainfall", 13, {K::Pulse, 0.2, 0.1, 0}, 1, {}, {}},
        {"Solar radiation", 8, {K::Sine, 200, 400, 86400}, 0, {}, {}},
        {"Battery", 0, {K::Constant, 12.6, 0, 0}, 1, {}, {}},
    };
}

bool ParseChannelDefinition(const std::string& text, SimChannel& channel, std::string& error) {
    const std::vector<std::string> parts = Split(text, ',');
    if (parts.size() < 3) {
        error = "channel \"" + text + "\" needs NAME,TYPE,PATTERN";
        return false;
    }
    SimChannel parsed;
    parsed.name = std::string(Trim(parts[0]));
    long type = 0;
    if (parsed.name.empty() || parsed.name.size() > 15 || !ParseInt(parts[1], 0, 255, type)) {
        error = "channel \"" + text + "\": the name must have 1 to 15 characters and the type be 0..255";
        return false;
    }
    parsed.type = static_cast<uint32_t>(type);
    if (!ParsePattern(std::string(Trim(parts[2])), parsed.pattern, error)) {
        return false;
    }
    for (std::size_t i = 3; i < parts.size(); ++i) {
        const std::size_t eq = parts[i].find('=');
        const std::string key(Trim(parts[i].substr(0, eq)));
        const std::string value = eq == std::string::npos ? "" : parts[i].substr(eq + 1);
        double number = 0;
        long decimals = 0;
        if (key == "dec" && ParseInt(value, 0, 6, decimals)) {
            parsed.decimals = static_cast<int>(decimals);
        } else if (key == "offset" && ParseNumber(value, number)) {
            parsed.offset = number;
        } else if (key == "mult" && ParseNumber(value, number) && number != 0) {
            parsed.multiplier = number;
        } else {
            error = "channel \"" + text + "\": cannot use \"" + parts[i] + "\"";
            return false;
        }
    }
    channel = parsed;
    return true;
}

double PatternMagnitude(const ValuePattern& p) {
    switch (p.kind) {
        case ValuePattern::Kind::Constant:
            return std::fabs(p.a);
        case ValuePattern::Kind::Sine:
            return std::fabs(p.a) + std::fabs(p.b);
        case ValuePattern::Kind::Ramp:
        case ValuePattern::Kind::Random:
            return std::max(std::fabs(p.a), std::fabs(p.b));
        case ValuePattern::Kind::Pulse:
            return std::fabs(p.a);
    }
    return 0;
}

double PatternValue(const SimChannel& channel, int channelIndex, TimeT time, uint64_t seed) {
    const ValuePattern& p = channel.pattern;
    const double unit =
        static_cast<double>(
            Mix(seed ^ Mix(static_cast<uint64_t>(channelIndex) * 1000003ull + static_cast<uint64_t>(time))) >> 11) /
        9007199254740992.0;  // [0, 1)
    double value = 0;
    switch (p.kind) {
        case ValuePattern::Kind::Constant:
            value = p.a;
            break;
        case ValuePattern::Kind::Sine:
            value = p.a + p.b * std::sin(2 * std::numbers::pi * std::fmod(static_cast<double>(time), p.c) / p.c);
            break;
        case ValuePattern::Kind::Ramp:
            value = p.a + (p.b - p.a) * std::fmod(static_cast<double>(time), p.c) / p.c;
            break;
        case ValuePattern::Kind::Random:
            value = p.a + (p.b - p.a) * unit;
            break;
        case ValuePattern::Kind::Pulse:
            value = unit < p.b ? p.a : 0;
            break;
    }
    // A quantity that cannot be negative (type 8) is never reported below zero.
    return channel.type == 8 ? std::max(value, 0.0) : value;
}

bool ParseDirectSimOptions(const std::vector<std::string>& args, DirectSimOptions& options, bool& help,
                           std::string& error) {
    help = false;
    DirectSimOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        const auto integer = [&](long minimum, long maximum, auto& out) {
            std::string text;
            long n = 0;
            if (!value(text)) {
                return false;
            }
            if (!ParseInt(text, minimum, maximum, n)) {
                error =
                    arg + " takes a whole number from " + std::to_string(minimum) + " to " + std::to_string(maximum);
                return false;
            }
            out = static_cast<std::remove_reference_t<decltype(out)>>(n);
            return true;
        };
        std::string text;
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        } else if (arg == "--channel") {
            SimChannel channel;
            ok = value(text) && ParseChannelDefinition(text, channel, error);
            parsed.channels.push_back(channel);
        } else if (arg == "--float-channels") {
            ok = integer(0, 16, parsed.floatChannels);
        } else if (arg == "--counters") {
            ok = integer(0, 16, parsed.counters);
        } else if (arg == "--period") {
            ok = integer(10, 3600000, parsed.periodMs);
        } else if (arg == "--logger-interval") {
            ok = integer(1, 9999, parsed.loggerInterval);
        } else if (arg == "--gust-period") {
            ok = integer(1, 10, parsed.gustPeriod);
        } else if (arg == "--start-time") {
            TimeT time = 0;
            ok = value(text) && ParseStartTime(text, time);
            if (ok) {
                parsed.startTime = time;
            } else if (error.empty()) {
                error = "--start-time takes \"YYYY-MM-DD HH:MM:SS\"";
            }
        } else if (arg == "--records") {
            ok = integer(0, 100000, parsed.records);
        } else if (arg == "--record-start") {
            ok = integer(0, 65535, parsed.recordStart);
        } else if (arg == "--erased-every") {
            ok = integer(0, 100000, parsed.erasedEvery);
        } else if (arg == "--memory-size") {
            ok = integer(2048, 65535, parsed.memorySize);
        } else if (arg == "--corrupt-every") {
            ok = integer(0, 1000000, parsed.corruptEvery);
        } else if (arg == "--stray-bytes") {
            ok = integer(0, 64, parsed.strayBytes);
        } else if (arg == "--stray-every") {
            ok = integer(1, 1000000, parsed.strayEvery);
        } else if (arg == "--etx-lines") {
            parsed.etxLineEnds = true;
        } else if (arg == "--silent") {
            parsed.silent = true;
        } else if (arg == "--silence-after") {
            ok = integer(1, 86400, parsed.silenceAfter);
        } else if (arg == "--silence-for") {
            ok = integer(1, 86400, parsed.silenceFor);
        } else if (arg == "--unplug-after") {
            ok = integer(1, 86400, parsed.unplugAfter);
        } else if (arg == "--unplug-for") {
            ok = integer(1, 86400, parsed.unplugFor);
        } else if (arg == "--monitor") {
            parsed.startInMonitor = true;
        } else if (arg == "--seed") {
            long seed = 0;
            ok = integer(0, 2147483647L, seed);
            parsed.seed = static_cast<uint64_t>(seed);
        } else if (arg == "--link") {
            ok = value(parsed.linkPath);
        } else if (arg == "--verbose" || arg == "-v") {
            parsed.verbose = true;
        } else {
            error = "unknown option \"" + arg + "\" (see --help)";
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    if (parsed.channels.empty()) {
        parsed.channels = DefaultChannels();
    }
    if (parsed.channels.size() > 16) {
        error = "the instrument has at most 16 channels";
        return false;
    }
    if (parsed.floatChannels > static_cast<int>(parsed.channels.size())) {
        error = "--float-channels is larger than the number of channels";
        return false;
    }
    if ((parsed.silenceAfter > 0) != (parsed.silenceFor > 0)) {
        error = "--silence-after and --silence-for go together";
        return false;
    }
    options = parsed;
    return true;
}

}  // namespace svu::sim
