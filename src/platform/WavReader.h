#pragma once

// Reads the PCM samples of a WAV file for playing and for the file-backed sound input. Only what a
// player needs is read: the "fmt " chunk's format and the "data" chunk's bytes; any other chunk is
// skipped. Every size in the file is checked against the file's own length before it is trusted.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace svu {

struct WavData {
    int formatTag = 0;  // 1: PCM
    int channels = 0;
    int samplesPerSecond = 0;
    int bitsPerSample = 0;
    std::vector<uint8_t> samples;
};

/// The WAV file's samples; false with `error` set when it is not a PCM WAV file of 8 or 16 bits,
/// one or two channels, or is cut short.
bool ParseWav(std::string_view bytes, WavData& wav, std::string& error);

/// ParseWav of a file of at most `maxBytes` bytes.
bool ReadWavFile(const std::string& path, WavData& wav, std::string& error, std::size_t maxBytes = 512u << 20);

}  // namespace svu
