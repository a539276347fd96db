#include <iostream>

#include "sim/GenericDevice.h"
#include "sim/PtyDeviceRunner.h"
#include "sim/SimPrograms.h"

namespace svu::sim {

namespace {

// Reports each request the device answers when asked to be verbose.
class VerboseGeneric : public GenericDevice {
public:
    VerboseGeneric(GenericSimOptions options, bool verbose) : GenericDevice(std::move(options)), verbose_(verbose) {}
    std::string OnInput(std::string_view bytes, int64_t tickMs) override {
        const uint64_t before = Requests();
        std::string out = GenericDevice::OnInput(bytes, tickMs);
        if (verbose_ && Requests() != before) {
            std::cerr << "stratavue-sim: request " << Requests() << (out.empty() ? " (no reply yet)" : " answered")
                      << std::endl;
        }
        return out;
    }

private:
    bool verbose_;
};

}  // namespace

int RunGenericSim(const std::vector<std::string>& args, const std::atomic<bool>& stop) {
    GenericSimOptions options;
    bool help = false;
    std::string error;
    if (!ParseGenericSimOptions(args, options, help, error)) {
        std::cerr << "stratavue-sim generic: " << error << "\n";
        return 2;
    }
    if (help) {
        std::cout << GenericSimHelp();
        return 0;
    }
    const std::string link = options.linkPath;
    VerboseGeneric device(options, options.verbose);
    PtyDeviceRunner runner(device);
    if (!runner.Open(link, &error)) {
        std::cerr << "stratavue-sim generic: " << error << "\n";
        return 1;
    }
    std::cout << runner.DevicePath() << std::endl;
    runner.Run(stop);
    return 0;
}

}  // namespace svu::sim
