// Reads a WAV file (a recording to play, or a file given as sound input) from arbitrary bytes:
// no crash, no read beyond the input, and accepted samples are whole frames of a PCM format.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/WavReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    svu::WavData wav;
    std::string error;
    if (!svu::ParseWav(bytes, wav, error)) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    const int block = wav.channels * wav.bitsPerSample / 8;
    if (wav.formatTag != 1 || block <= 0 || wav.samples.size() % static_cast<std::size_t>(block) != 0 ||
        wav.samples.size() > size) {
        std::abort();
    }
    return 0;
}
