// stratavue-sim: instrument simulators on pseudo-terminals, for demonstrations, training and
// tests.

#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "sim/DirectSimOptions.h"
#include "sim/DirectSimulator.h"
#include "sim/LineSimOptions.h"
#include "sim/LineSimulator.h"
#include "sim/SimPrograms.h"

namespace {

std::atomic<bool> gStop{false};

void OnSignal(int) {
    gStop = true;
}

constexpr const char* kUsage = R"(Usage: stratavue-sim INSTRUMENT [OPTIONS]

Instrument simulators on pseudo-terminals, for demonstrations, training and tests. Each
prints the device to use as the station's serial port and runs until stopped (Ctrl+C).

Instruments:
  direct    the instrument of a Direct station: terminal menu, real-time lines,
            configuration dialogues, logger memory dump by XMODEM
  wind      a wind speed and direction sensor sending its lines by itself
  particles a particle counter sending time-stamped counts
  triscan   a Triscan wind station: real-time stream and logged-data download
  slm       a sound level meter: polled binary levels, or --online lines
  radio     a radio modem relaying to remote stations (Vela and W&D), one turn at a time
  generic   a device answering request patterns with set replies (Generic (Serial))
  modem     a Hayes modem that connects a caller to a simulated instrument
  ndr       a data logger: menu, command line, real-time lines, memory download

Run "stratavue-sim INSTRUMENT --help" for the options of one instrument.
)";

int RunDirect(const std::vector<std::string>& args) {
    svu::sim::DirectSimOptions options;
    bool help = false;
    std::string error;
    if (!svu::sim::ParseDirectSimOptions(args, options, help, error)) {
        std::cerr << "stratavue-sim direct: " << error << "\n";
        return 2;
    }
    if (help) {
        std::cout << svu::sim::DirectSimHelp();
        return 0;
    }
    svu::sim::DirectSimulator simulator(options);
    const bool verbose = options.verbose;
    simulator.SetLog([verbose](const std::string& text) {
        if (verbose || text.rfind("device", 0) == 0) {
            std::cerr << "stratavue-sim: " << text << std::endl;
        }
    });
    if (!simulator.Open(&error)) {
        std::cerr << "stratavue-sim direct: " << error << "\n";
        return 1;
    }
    std::cout << simulator.DevicePath() << std::endl;
    if (!options.linkPath.empty()) {
        std::cerr << "stratavue-sim: " << options.linkPath << " -> " << simulator.SlavePath() << std::endl;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    simulator.Run(gStop);
    simulator.Stop();
    return 0;
}

int RunLine(const std::string& instrument, const std::vector<std::string>& args) {
    svu::sim::LineSimOptions options;
    bool help = false;
    std::string error;
    if (!svu::sim::ParseLineSimOptions(instrument, args, options, help, error)) {
        std::cerr << "stratavue-sim " << instrument << ": " << error << "\n";
        return 2;
    }
    if (help) {
        std::cout << svu::sim::LineSimHelp(instrument);
        return 0;
    }
    svu::sim::LineSimulator simulator(options);
    const bool verbose = options.verbose;
    simulator.SetLog([verbose](const std::string& text) {
        if (verbose || text.rfind("device", 0) == 0) {
            std::cerr << "stratavue-sim: " << text << std::endl;
        }
    });
    if (!simulator.Open(&error)) {
        std::cerr << "stratavue-sim " << instrument << ": " << error << "\n";
        return 1;
    }
    std::cout << simulator.DevicePath() << std::endl;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    simulator.Run(gStop);
    simulator.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::cout << kUsage;
        return argc < 2 ? 2 : 0;
    }
    const std::string instrument = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (instrument == "direct") {
        return RunDirect(args);
    }
    if (svu::sim::IsLineInstrument(instrument)) {
        return RunLine(instrument, args);
    }
    if (instrument == "radio") {
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        std::signal(SIGHUP, OnSignal);
        std::signal(SIGPIPE, SIG_IGN);
        return svu::sim::RunRadioSim(args, gStop);
    }
    if (instrument == "generic" || instrument == "modem") {
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        std::signal(SIGHUP, OnSignal);
        std::signal(SIGPIPE, SIG_IGN);
        return instrument == "generic" ? svu::sim::RunGenericSim(args, gStop) : svu::sim::RunModemSim(args, gStop);
    }
    if (instrument == "ndr") {
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        std::signal(SIGHUP, OnSignal);
        std::signal(SIGPIPE, SIG_IGN);
        return svu::sim::RunNdrSim(args, gStop);
    }
    std::cerr << "stratavue-sim: unknown instrument \"" << instrument << "\" (see --help)\n";
    return 2;
}
