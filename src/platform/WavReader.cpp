#include "platform/WavReader.h"

#include <cstring>
#include <fstream>

namespace svu {

namespace {

uint32_t U32(std::string_view b, std::size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t U16(std::string_view b, std::size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

}  // namespace

bool ParseWav(std::string_view bytes, WavData& wav, std::string& error) {
    wav = WavData{};
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
        error = "not a RIFF WAVE file";
        return false;
    }
    bool haveFormat = false;
    std::size_t at = 12;
    while (bytes.size() - at >= 8) {
        const std::string_view id = bytes.substr(at, 4);
        const uint32_t size = U32(bytes, at + 4);
        at += 8;
        const std::size_t left = bytes.size() - at;
        if (id == "fmt ") {
            if (size < 16 || size > left) {
                error = "the format chunk is damaged";
                return false;
            }
            wav.formatTag = U16(bytes, at);
            wav.channels = U16(bytes, at + 2);
            wav.samplesPerSecond = static_cast<int>(U32(bytes, at + 4) & 0x7fffffff);
            wav.bitsPerSample = U16(bytes, at + 14);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                error = "the data comes before the format";
                return false;
            }
            // A writer that died before completing the sizes leaves 0 or too much: take what is there.
            const std::size_t count = size == 0 || size > left ? left : size;
            wav.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                               bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
            if (wav.formatTag != 1 || (wav.bitsPerSample != 8 && wav.bitsPerSample != 16) || wav.channels < 1 ||
                wav.channels > 2 || wav.samplesPerSecond < 1000 || wav.samplesPerSecond > 192000) {
                error = "not 8 or 16-bit PCM of one or two channels";
                return false;
            }
            const std::size_t block = static_cast<std::size_t>(wav.channels * wav.bitsPerSample / 8);
            wav.samples.resize(wav.samples.size() / block * block);
            return true;
        }
        if (size > left) {
            break;
        }
        at += size;
        if ((size & 1) != 0 && at < bytes.size()) {
            ++at;  // chunks are padded to an even length
        }
    }
    error = "no data chunk";
    return false;
}

bool ReadWavFile(const std::string& path, WavData& wav, std::string& error, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be opened";
        return false;
    }
    std::string bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > maxBytes) {
            error = "too large";
            return false;
        }
    }
    return ParseWav(bytes, wav, error);
}

}  // namespace svu
