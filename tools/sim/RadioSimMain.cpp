// stratavue-sim radio: a radio modem on pseudo-terminals with remote stations on its air.

#include <iostream>
#include <memory>

#include "framework/Clock.h"
#include "sim/PtyDeviceRunner.h"
#include "sim/RadioAir.h"
#include "sim/RadioModemPort.h"
#include "sim/SimPrograms.h"

namespace svu::sim {

int RunRadioSim(const std::vector<std::string>& args, const std::atomic<bool>& stop) {
    RadioSimOptions options;
    bool help = false;
    std::string error;
    if (!ParseRadioSimOptions(args, options, help, error)) {
        std::cerr << "stratavue-sim radio: " << error << "\n";
        return 2;
    }
    if (help) {
        std::cout << RadioSimHelp();
        return 0;
    }
    bool verbose = false;
    for (const std::string& arg : args) {
        verbose = verbose || arg == "-v" || arg == "--verbose";
    }
    std::vector<std::string> links = options.links;
    if (links.empty()) {
        links.emplace_back();
    }
    RadioAir air(options);
    if (verbose) {
        air.SetLog([](const std::string& line) { std::cerr << "stratavue-sim: " << line << std::endl; });
    }
    std::vector<std::unique_ptr<RadioModemPort>> ports;
    std::vector<std::unique_ptr<PtyDeviceRunner>> runners;
    for (std::size_t i = 0; i < links.size(); ++i) {
        ports.push_back(std::make_unique<RadioModemPort>(air, static_cast<int>(i) + 1, SystemClock().TickMs()));
        runners.push_back(std::make_unique<PtyDeviceRunner>(*ports.back()));
        if (!runners.back()->Open(links[i], &error)) {
            std::cerr << "stratavue-sim radio: " << error << "\n";
            return 1;
        }
        std::cout << runners.back()->DevicePath() << std::endl;
    }
    for (auto& runner : runners) {
        runner->Start({}, &error);
    }
    while (!stop.load()) {
        SystemClock().SleepFor(std::chrono::milliseconds(50));
    }
    for (auto& runner : runners) {
        runner->Stop();
    }
    return air.Overlaps() == 0 ? 0 : 3;
}

}  // namespace svu::sim
