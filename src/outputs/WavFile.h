#pragma once

// The WAV files of alarm recordings: a RIFF file of form "WAVE" whose "fmt " chunk holds the
// 18-byte wave format (with its extra-size field, 0) and whose "data" chunk holds the samples. The
// chunk sizes are written when the file is closed, so a file cut short by a crash shows sizes of 0.

#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/LocalTime.h"

namespace svu {

/// The wave format of a recording: PCM, block alignment and byte rate follow from the rest.
struct WaveFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 8000;
    uint32_t avgBytesPerSecond = 8000;
    uint16_t blockAlign = 1;
    uint16_t bitsPerSample = 8;
    uint16_t extraSize = 0;

    /// Mono PCM of `rate` samples per second and `bits` bits per sample.
    static WaveFormat Pcm(uint32_t rate, uint16_t bits);
};

/// Bytes of the "fmt " chunk's contents.
inline constexpr uint32_t kWaveFormatBytes = 18;

/// folder (a "/" added when missing) + "Stratavue(yyyy-mm-dd) [hh;mm;ss].wav" of the start time.
std::string RecordingFileName(const std::string& folder, const LocalTm& start);

/// One WAV file being written.
class WavFileWriter {
public:
    WavFileWriter() = default;
    ~WavFileWriter();
    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;

    /// Creates the file and writes its header; false (with `error`) when it cannot be created.
    bool Create(const std::string& path, const WaveFormat& format, std::string& error);
    bool IsOpen() const { return file_ != nullptr; }
    /// Appends samples; false when the write failed (the file stays open).
    bool Append(const uint8_t* bytes, std::size_t count);
    /// Writes the chunk sizes and closes the file; false when that failed.
    bool Close();

private:
    std::FILE* file_ = nullptr;
    uint64_t dataBytes_ = 0;
};

}  // namespace svu
