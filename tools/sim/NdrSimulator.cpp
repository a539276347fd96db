#include "sim/NdrSimulator.h"

#include <fstream>
#include <iostream>
#include <iterator>

#include "framework/AtomicFile.h"
#include "framework/SafeName.h"
#include "framework/TextUtil.h"
#include "sim/SimOptionParsing.h"
#include "sim/SimPrograms.h"

namespace svu::sim {

namespace {

constexpr int kMaxWaitMs = 10;

}  // namespace

const char* NdrSimHelp() {
    return "Usage: stratavue-sim ndr [OPTIONS]\n\n"
           "A data logger with a command line: escape shows its main menu, option 10 opens the\n"
           "command line (prompt \"> \", every character echoed). \"clirt(cs)\" and \"clirt()\" start\n"
           "real-time lines with and without checksum, \"rsdlsize()\" and \"rsdl()\" give its memory of\n"
           "binary records, \"rsmode(open|unlock|clear)\" clear it; set-up commands read and set its\n"
           "configuration.\n\n"
           "Options:\n"
           "  --link PATH              keep a symbolic link to the device at PATH\n"
           "  --channels N             values per line and record (default 4)\n"
           "  --period MS              milliseconds between real-time lines (default 1000)\n"
           "  --records N              binary records in memory (default 0)\n"
           "  --record-seconds S       seconds between two records (default 60)\n"
           "  --memory-file FILE       write the memory image to FILE at start\n"
           "  --config-file FILE       the logger's set-up: loaded at start, rewritten on every change\n"
           "  --transcript FILE        append every good real-time value line sent to FILE\n"
           "  --reject                 answer every command with \"ERROR - ...\"\n"
           "  --no-checksum            refuse real-time output with checksum\n"
           "  --corrupt-every N        damage every Nth real-time line\n"
           "  --echo-delay MS          echo, and the prompt after each answer, come this late\n"
           "  --silent                 never answer\n"
           "  --unplug-after S --unplug-for S   the cable is pulled, and put back later\n"
           "  --verbose                tell what happens on the standard error\n";
}

bool ParseNdrSimOptions(const std::vector<std::string>& args, NdrSimOptions& options, bool& help, std::string& error) {
    const IntOption ints[] = {
        {"--channels", &options.logger.channels, 0, 64},
        {"--period", &options.logger.periodMs, 10, 3600000},
        {"--records", &options.logger.records, 0, 5000000},
        {"--record-seconds", &options.logger.recordSeconds, 1, 86400},
        {"--corrupt-every", &options.logger.corruptEvery, 0, 1000000},
        {"--echo-delay", &options.logger.echoDelayMs, 0, 60000},
        {"--unplug-after", &options.unplugAfter, 0, 86400},
        {"--unplug-for", &options.unplugFor, 1, 86400},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        if (arg == "--silent" || arg == "--verbose" || arg == "--reject" || arg == "--no-checksum") {
            (arg == "--silent"    ? options.silent
             : arg == "--verbose" ? options.verbose
             : arg == "--reject"  ? options.logger.reject
                                  : options.logger.noChecksum) = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "unknown option or missing value: " + arg;
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--link" || arg == "--transcript" || arg == "--config-file" || arg == "--memory-file") {
            (arg == "--link"         ? options.linkPath
             : arg == "--transcript" ? options.transcript
             : arg == "--config-file" ? options.configFile
                                      : options.memoryFile) = value;
            continue;
        }
        if (!SetIntOption(ints, arg, value, error)) {
            return false;
        }
    }
    return true;
}

namespace {

// The loop looks at the line every 10 ms, so an echo delay is played to the millisecond it asks.
PtyLineOptions LineOf(const NdrSimOptions& options) {
    return {options.linkPath, 4 * kMaxWaitMs, options.unplugAfter, options.unplugFor, kMaxWaitMs};
}

}  // namespace

NdrSimulator::NdrSimulator(NdrSimOptions options, Clock& clock)
    : PtySimulator(LineOf(options), clock), options_(std::move(options)), logger_(options_.logger) {
    logger_.SetOnConfigChanged([this] { SaveConfig(); });
    SetLog([verbose = options_.verbose](const std::string& text) {
        if (verbose || text.rfind("device", 0) == 0) {
            std::cerr << "stratavue-sim: " << text << std::endl;
        }
    });
}

NdrSimulator::~NdrSimulator() {
    Stop();
}

// Called with the lock held, from inside the logger.
void NdrSimulator::SaveConfig() {
    if (options_.configFile.empty()) {
        return;
    }
    std::string error;
    if (!WriteFileAtomically(options_.configFile, logger_.Store().Dump(), &error)) {
        Log("cannot write " + options_.configFile + ": " + error);
    }
}

bool NdrSimulator::Open(std::string* error) {
    {
        std::lock_guard lock(mutex_);
        if (!options_.configFile.empty()) {
            std::ifstream in(options_.configFile, std::ios::binary);
            if (in) {
                const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                if (!logger_.Store().Load(text)) {
                    if (error != nullptr) {
                        *error = "cannot take the set-up in " + options_.configFile;
                    }
                    return false;
                }
            }
        }
        if (!options_.memoryFile.empty() && !WriteFileAtomically(options_.memoryFile, logger_.Memory(), error)) {
            return false;
        }
    }
    if (!PtySimulator::Open(error)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    Log("device " + pty_.SlavePath());
    return true;
}

void NdrSimulator::OnUnplugged() {
    logger_.Restart();
}

void NdrSimulator::OnTurn(int64_t tick) {
    const std::string out = logger_.OnTick(tick);
    std::vector<std::string> sent = logger_.TakeSentLines();
    if (out.empty() || options_.silent) {
        return;
    }
    // The transcript is written before the bytes, so a reader never sees them first.
    if (!options_.transcript.empty() && !sent.empty()) {
        std::ofstream transcript(options_.transcript, std::ios::app);
        for (const std::string& line : sent) {
            transcript << line << "\n";
        }
    }
    Send(out);
}

void NdrSimulator::OnReceived(std::string_view bytes, int64_t tick) {
    if (options_.silent) {
        return;  // heard nothing
    }
    const std::string out = logger_.OnInput(bytes, tick);
    if (options_.verbose) {
        Log("received " + EscapeControls(bytes));
    }
    if (!out.empty()) {
        Send(out);
    }
}

int RunNdrSim(const std::vector<std::string>& args, const std::atomic<bool>& stop) {
    NdrSimOptions options;
    bool help = false;
    std::string error;
    if (!ParseNdrSimOptions(args, options, help, error)) {
        std::cerr << "stratavue-sim ndr: " << error << "\n";
        return 2;
    }
    if (help) {
        std::cout << NdrSimHelp();
        return 0;
    }
    NdrSimulator simulator(options);
    if (!simulator.Open(&error)) {
        std::cerr << "stratavue-sim ndr: " << error << "\n";
        return 1;
    }
    std::cout << simulator.DevicePath() << std::endl;
    simulator.Run(stop);
    simulator.Stop();
    return 0;
}

}  // namespace svu::sim
