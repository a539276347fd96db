// Untrusted text from a modem line: the modem's result codes and the Vela logger's lines, which
// are averaged into one reading. The first byte picks the parser, the second the channel set-up.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/TextUtil.h"
#include "platform/HayesModem.h"
#include "stations/WSModemVela.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    if (data[0] % 2 == 0) {
        svu::ParseModemResult(text);
        return 0;
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    const int channels = data[1] % 8;
    std::vector<uint32_t> types;
    for (int i = 0; i < channels; ++i) {
        types.push_back((data[1] >> (i % 4)) & 1 ? 3u : 0u);
    }
    const std::vector<std::string> values = svu::AverageVelaLines(lines, channels, types);
    if (values.size() != static_cast<std::size_t>(channels)) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        // Every value is a number; a direction lies in 0 .. 360 (excluded).
        const double v = svu::AtoF(values[i]);
        if (!values[i].empty() && (values[i].find_first_of("NnIi") != std::string::npos ||
                                   (types[i] == 3 && (v < 0.0 || v >= 360.0)))) {
            __builtin_trap();
        }
    }
    return 0;
}
