#include "sim/RadioAir.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "framework/TextUtil.h"

namespace svu::sim {

namespace {

constexpr double kChannelZeroMHz = 458.525;
constexpr double kChannelStepMHz = 0.025;

bool ToInt(const std::string& text, int minimum, int maximum, int& value) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < minimum || n > maximum) {
        return false;
    }
    value = static_cast<int>(n);
    return true;
}

// "VALUES[/silent|/garbled[=N]]"
bool ParseValuesAndFailure(const std::string& text, RadioRemote& remote) {
    const std::size_t slash = text.find('/');
    remote.values = text.substr(0, slash);
    if (remote.values.empty()) {
        return false;
    }
    if (slash == std::string::npos) {
        return true;
    }
    const std::string failure = text.substr(slash + 1);
    if (failure == "silent") {
        remote.failure = RadioRemote::Failure::Silent;
        return true;
    }
    if (failure.rfind("garbled", 0) != 0) {
        return false;
    }
    remote.failure = RadioRemote::Failure::Garbled;
    return failure == "garbled" ||
           (failure.size() > 8 && failure[7] == '=' && ToInt(failure.substr(8), 0, 1000000, remote.garbledLines));
}

bool ParseStart(const std::string& text, TimeT& time) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) {
        return false;
    }
    time = FromLocal(y, mo, d, h, mi, s);
    return true;
}

constexpr const char* kHelp = R"(Usage: stratavue-sim radio [OPTIONS]

Simulates a radio modem on one or more pseudo-terminals that share one air, with remote
stations on it. The device of each port is printed, one a line. A port is tuned either with
"ATX" (frequency channel), "ATT" and "ATR" (addresses), sent without line ends, or with the
W&D channel switch (eight preamble bytes, 0x40, the channel, 0x95). Once a remote is reached
it sends a reading line every period until the port is closed or tuned again. A turn that
begins while another port's turn is on is an overlap, written to the transcript.

Options:
  --vela ADDR@MHZ=V1,V2[/FAILURE]   a Vela remote: address, frequency and its values; lines
                                    "dd/mm/yyyy,hh:mm:ss,V1,V2"
  --ndr ADDR@MHZ=N[,R][/FAILURE]    a data logger with N channels (and R records in memory)
                                    behind a Harbury radio, on an address and frequency: its
                                    menu, command line, stream and memory download
  --wd CHANNEL=V1,V2[/FAILURE]      a W&D logger on a radio channel (0..127): checksummed
                                    lines "dd/mm/yyyy,hh:mm:ss,V1,V2,CS"
      FAILURE is "silent" (never answers), "garbled" (every line spoilt) or "garbled=N" (the
      first N lines of every turn spoilt).
  --model 0|1             how ATX carries the channel: one character (0, default) or two digits
  --first-line MS         from addressing to the first line (default 800)
  --period MS             between lines (default 1000)
  --start-time "YYYY-MM-DD HH:MM:SS"  the time of the first line (default: now)
  --link PATH             a port, kept as a symbolic link at PATH; repeat for more ports
  --transcript FILE       append one line per turn event to FILE
  -v, --verbose           print the transcript on standard error too
  -h, --help              show this text
)";

}  // namespace

int RadioRemote::FrequencyChannel() const {
    return static_cast<int>(std::lround((frequency - kChannelZeroMHz) / kChannelStepMHz));
}

std::string RadioRemote::Name() const {
    if (kind == Kind::Ndr) {
        return FormatC("ndr %d@%.3f", address, frequency);
    }
    return kind == Kind::Vela ? FormatC("vela %d@%.3f", address, frequency) : FormatC("wd %d", channel);
}

const char* RadioSimHelp() {
    return kHelp;
}

bool ParseRadioSimOptions(const std::vector<std::string>& args, RadioSimOptions& options, bool& help,
                          std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            help = true;
            return true;
        }
        if (arg == "-v" || arg == "--verbose") {
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "unknown option or missing value: " + arg;
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (arg == "--vela" || arg == "--ndr") {
            RadioRemote remote;
            remote.kind = arg == "--ndr" ? RadioRemote::Kind::Ndr : RadioRemote::Kind::Vela;
            const std::size_t at = value.find('@');
            const std::size_t equals = value.find('=');
            char* end = nullptr;
            ok = at != std::string::npos && equals != std::string::npos && at < equals &&
                 ToInt(value.substr(0, at), 0, 99, remote.address) &&
                 ParseValuesAndFailure(value.substr(equals + 1), remote);
            if (ok) {
                const std::string mhz = value.substr(at + 1, equals - at - 1);
                remote.frequency = std::strtod(mhz.c_str(), &end);
                ok = !mhz.empty() && *end == '\0' && remote.frequency >= kChannelZeroMHz - kChannelStepMHz / 2;
            }
            if (ok && remote.kind == RadioRemote::Kind::Ndr) {
                const std::size_t comma = remote.values.find(',');
                ok = ToInt(remote.values.substr(0, comma), 1, 64, remote.loggerChannels) &&
                     (comma == std::string::npos ||
                      ToInt(remote.values.substr(comma + 1), 0, 1000000, remote.loggerRecords));
            }
            options.remotes.push_back(remote);
        } else if (arg == "--wd") {
            RadioRemote remote;
            remote.kind = RadioRemote::Kind::WandD;
            const std::size_t equals = value.find('=');
            ok = equals != std::string::npos && ToInt(value.substr(0, equals), 0, 127, remote.channel) &&
                 ParseValuesAndFailure(value.substr(equals + 1), remote);
            options.remotes.push_back(remote);
        } else if (arg == "--model") {
            ok = ToInt(value, 0, 1, options.model);
        } else if (arg == "--first-line") {
            ok = ToInt(value, 0, 600000, options.firstLineMs);
        } else if (arg == "--period") {
            ok = ToInt(value, 10, 600000, options.periodMs);
        } else if (arg == "--start-time") {
            ok = ParseStart(value, options.startTime);
        } else if (arg == "--link") {
            options.links.push_back(value);
        } else if (arg == "--transcript") {
            options.transcript = value;
        } else {
            error = "unknown option " + arg;
            return false;
        }
        if (!ok) {
            error = arg + ": cannot use \"" + value + "\" (see --help)";
            return false;
        }
    }
    return true;
}

RadioAir::RadioAir(RadioSimOptions options) : options_(std::move(options)) {
    if (options_.startTime == 0) {
        options_.startTime = static_cast<TimeT>(std::time(nullptr));
    }
    for (const RadioRemote& remote : options_.remotes) {
        std::unique_ptr<NdrLogger> logger;
        if (remote.kind == RadioRemote::Kind::Ndr) {
            NdrLoggerOptions loggerOptions;
            loggerOptions.channels = remote.loggerChannels;
            loggerOptions.periodMs = options_.periodMs;
            loggerOptions.records = remote.loggerRecords;
            loggerOptions.corruptEvery = remote.failure == RadioRemote::Failure::Garbled ? 1 : 0;
            logger = std::make_unique<NdrLogger>(loggerOptions);
        }
        loggers_.push_back(std::move(logger));
    }
}

std::string RadioAir::ToLogger(const RadioRemote& remote, std::string_view bytes, int64_t tickMs) {
    std::lock_guard guard(mutex_);
    NdrLogger* logger = loggers_[static_cast<std::size_t>(&remote - options_.remotes.data())].get();
    return logger != nullptr ? logger->OnInput(bytes, tickMs) : std::string();
}

std::string RadioAir::LoggerMemory(const RadioRemote& remote) const {
    std::lock_guard guard(mutex_);
    const NdrLogger* logger = loggers_[static_cast<std::size_t>(&remote - options_.remotes.data())].get();
    return logger != nullptr ? logger->Memory() : std::string();
}

std::string RadioAir::FromLogger(const RadioRemote& remote, int64_t tickMs) {
    std::lock_guard guard(mutex_);
    NdrLogger* logger = loggers_[static_cast<std::size_t>(&remote - options_.remotes.data())].get();
    return logger != nullptr ? logger->OnTick(tickMs) : std::string();
}

const RadioRemote* RadioAir::FindVela(int frequencyChannel, int address) const {
    for (const RadioRemote& remote : options_.remotes) {
        if (remote.kind != RadioRemote::Kind::WandD && remote.address == address &&
            remote.FrequencyChannel() == frequencyChannel) {
            return &remote;
        }
    }
    return nullptr;
}

const RadioRemote* RadioAir::FindWandD(int channel) const {
    for (const RadioRemote& remote : options_.remotes) {
        if (remote.kind == RadioRemote::Kind::WandD && remote.channel == channel) {
            return &remote;
        }
    }
    return nullptr;
}

void RadioAir::Write(const std::string& line) {
    if (!options_.transcript.empty()) {
        std::ofstream(options_.transcript, std::ios::app) << line << "\n";
    }
    if (log_) {
        log_(line);
    }
}

std::size_t RadioAir::BeginTurn(int port, int64_t tickMs) {
    std::lock_guard guard(mutex_);
    RadioTurn turn;
    turn.port = port;
    turn.remote = "none";
    turn.startMs = tickMs;
    for (const RadioTurn& other : turns_) {
        if (other.endMs < 0 && other.port != port) {
            turn.overlap = true;
            Write(FormatC("overlap port=%d began while port=%d was on, at=%lld", port, other.port,
                          static_cast<long long>(tickMs)));
        }
    }
    turns_.push_back(turn);
    Write(FormatC("begin port=%d at=%lld", port, static_cast<long long>(tickMs)));
    return turns_.size() - 1;
}

void RadioAir::SetRemote(std::size_t turn, const RadioRemote* remote) {
    std::lock_guard guard(mutex_);
    turns_[turn].remote = remote != nullptr ? remote->Name() : "none";
    Write(FormatC("addressed port=%d remote=%s", turns_[turn].port, turns_[turn].remote.c_str()));
}

void RadioAir::CountLine(std::size_t turn) {
    std::lock_guard guard(mutex_);
    ++turns_[turn].lines;
}

void RadioAir::EndTurn(std::size_t turn, int64_t tickMs) {
    std::lock_guard guard(mutex_);
    RadioTurn& t = turns_[turn];
    t.endMs = tickMs;
    Write(FormatC("end port=%d remote=%s lines=%d at=%lld", t.port, t.remote.c_str(), t.lines,
                  static_cast<long long>(tickMs)));
}

std::vector<RadioTurn> RadioAir::Turns() const {
    std::lock_guard guard(mutex_);
    return turns_;
}

int RadioAir::Overlaps() const {
    std::lock_guard guard(mutex_);
    int n = 0;
    for (const RadioTurn& t : turns_) {
        n += t.overlap ? 1 : 0;
    }
    return n;
}

}  // namespace svu::sim
