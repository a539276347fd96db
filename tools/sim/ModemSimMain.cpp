// stratavue-sim modem: a Hayes modem on a pseudo-terminal with an instrument behind it.

#include <iostream>
#include <memory>

#include "framework/Clock.h"
#include "sim/DirectBehindModem.h"
#include "sim/DirectSimOptions.h"
#include "sim/GenericDevice.h"
#include "sim/ModemDevice.h"
#include "sim/NdrBehindModem.h"
#include "sim/NdrSimulator.h"
#include "sim/PtyDeviceRunner.h"
#include "sim/SimPrograms.h"
#include "sim/VelaLogger.h"

namespace svu::sim {

namespace {

constexpr const char* kHelp = R"(Usage: stratavue-sim modem [MODEM OPTIONS] --instrument KIND [INSTRUMENT OPTIONS]

Simulates a Hayes modem on a pseudo-terminal. The first line printed is the device to give a
station as its modem. The modem answers AT commands (E, V, Q, X, Z, &x, S, H, O, D); ATD dials
and, after the connect delay, connects the caller to the instrument behind the line; "+++"
between two guard times returns to command mode; ATH or closing the port (DTR dropping) hangs up.

Modem options:
  --connect-delay MS    From ATD to CONNECT (default 200); a slow CONNECT.
  --guard MS            Escape guard time (default 1000).
  --busy-first N        The first N calls find the line busy.
  --busy-every N        Every Nth call finds the line busy.
  --no-carrier-every N  Every Nth call fails with NO CARRIER.
  --no-dialtone-every N Every Nth call finds no dial tone.
  --no-answer-every N   Every Nth call is not answered.
  --drop-every N        Every Nth call loses the line ...
  --drop-after MS       ... this long after CONNECT (default 500).
  --calls FILE          Append one line per finished call to FILE (number dialled, ticks of
                        dialling, connecting and ending, result, how it ended, overlap).
  --link PATH           Keep a symbolic link at PATH pointing at the device.
  -h, --help            Show this text.

Instruments (--instrument KIND; the options after it are the instrument's):
  direct    the Direct station's instrument (see "stratavue-sim direct --help")
  generic   a request/reply device (see "stratavue-sim generic --help")
  ndr       the data logger (its logger options of "stratavue-sim ndr --help")
  vela      a Vela logger: CLEAR, LOGON, U, CLAST. Options:
              --line TEXT      a line in memory at start ("dd/mm/yy,hh:mm:ss,v1,v2,...")
              --values V1,V2   values logged every --log-every seconds after LOGON
              --log-every S
              --batch "V1,V2;V1,V2;..."  after LOGON and after every CLAST, exactly these
                               value sets are waiting as logged lines
)";

bool Count(const std::string& text, int& value) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 0 || n > 100000000) {
        return false;
    }
    value = static_cast<int>(n);
    return true;
}

}  // namespace

int RunModemSim(const std::vector<std::string>& args, const std::atomic<bool>& stop) {
    ModemSimOptions options;
    std::string link;
    std::string kind;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kHelp;
            return 0;
        }
        if (arg == "--instrument") {
            if (i + 1 >= args.size()) {
                std::cerr << "stratavue-sim modem: --instrument needs a kind\n";
                return 2;
            }
            kind = args[i + 1];
            rest.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 2, args.end());
            break;
        }
        if (i + 1 >= args.size()) {
            std::cerr << "stratavue-sim modem: unknown option or missing value: " << arg << "\n";
            return 2;
        }
        const std::string& value = args[++i];
        int* target = arg == "--connect-delay"       ? &options.connectDelayMs
                      : arg == "--guard"             ? &options.guardMs
                      : arg == "--busy-first"        ? &options.busyFirst
                      : arg == "--busy-every"        ? &options.busyEvery
                      : arg == "--no-carrier-every"  ? &options.noCarrierEvery
                      : arg == "--no-dialtone-every" ? &options.noDialtoneEvery
                      : arg == "--no-answer-every"   ? &options.noAnswerEvery
                      : arg == "--drop-every"        ? &options.dropEvery
                      : arg == "--drop-after"        ? &options.dropAfterMs
                                                     : nullptr;
        if (target != nullptr) {
            if (!Count(value, *target)) {
                std::cerr << "stratavue-sim modem: " << arg << ": not a count: " << value << "\n";
                return 2;
            }
        } else if (arg == "--calls") {
            options.callsFile = value;
        } else if (arg == "--link") {
            link = value;
        } else {
            std::cerr << "stratavue-sim modem: unknown option " << arg << "\n";
            return 2;
        }
    }
    std::unique_ptr<SimDevice> instrument;
    std::string error;
    bool help = false;
    if (kind == "direct") {
        DirectSimOptions direct;
        if (!ParseDirectSimOptions(rest, direct, help, error)) {
            std::cerr << "stratavue-sim modem: " << error << "\n";
            return 2;
        }
        instrument = std::make_unique<DirectBehindModem>(direct);
    } else if (kind == "generic") {
        GenericSimOptions generic;
        if (!ParseGenericSimOptions(rest, generic, help, error)) {
            std::cerr << "stratavue-sim modem: " << error << "\n";
            return 2;
        }
        instrument = std::make_unique<GenericDevice>(generic);
    } else if (kind == "ndr") {
        NdrSimOptions ndr;
        if (!ParseNdrSimOptions(rest, ndr, help, error)) {
            std::cerr << "stratavue-sim modem: " << error << "\n";
            return 2;
        }
        instrument = std::make_unique<NdrBehindModem>(ndr.logger);
    } else if (kind == "vela") {
        VelaSimOptions vela;
        if (!ParseVelaSimOptions(rest, vela, error)) {
            std::cerr << "stratavue-sim modem: " << error << "\n";
            return 2;
        }
        instrument = std::make_unique<VelaLogger>(vela);
    } else {
        std::cerr << "stratavue-sim modem: give --instrument direct, generic, ndr or vela\n";
        return 2;
    }
    ModemDevice modem(options, std::move(instrument));
    PtyDeviceRunner runner(modem);
    if (!runner.Open(link, &error)) {
        std::cerr << "stratavue-sim modem: " << error << "\n";
        return 1;
    }
    std::cout << runner.DevicePath() << std::endl;
    runner.Run(stop);
    return 0;
}

}  // namespace svu::sim
