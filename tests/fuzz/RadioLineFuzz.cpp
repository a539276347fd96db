// Untrusted bytes from the radio link: a Vela remote's reply and a W&D logger's real-time line.
// The first byte picks the parser and the raw channel count.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "loggers/WSCalyraWandDRadio.h"
#include "loggers/WSRadioModemVela.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace svu;
    if (size < 1) {
        return 0;
    }
    const int channels = data[0] % 16;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    TimeT time = 0;
    std::vector<std::string> values;
    if (data[0] & 0x80) {
        if (ParseWandDLine(text, channels, time, values) && values.size() != static_cast<std::size_t>(channels)) {
            __builtin_trap();
        }
        return 0;
    }
    const std::string line = AlignVelaReply(text);
    if (line.size() > text.size()) {
        __builtin_trap();
    }
    if (ParseVelaRadioLine(line, channels, time, values)) {
        std::size_t total = 0;
        for (const std::string& v : values) {
            total += v.size();
        }
        if (values.size() != static_cast<std::size_t>(channels) || total > line.size()) {
            __builtin_trap();
        }
    }
    return 0;
}
