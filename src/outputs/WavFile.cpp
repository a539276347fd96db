#include "outputs/WavFile.h"

#include <cerrno>
#include <cstring>
#include <limits>

namespace svu {

namespace {

// Offsets of the two sizes completed on close.
constexpr long kRiffSizeAt = 4;
constexpr long kDataSizeAt = 12 + 8 + kWaveFormatBytes + 4;

void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xffff));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

bool WriteSizeAt(std::FILE* file, long at, uint32_t size) {
    std::string bytes;
    Put32(bytes, size);
    return std::fseek(file, at, SEEK_SET) == 0 && std::fwrite(bytes.data(), 1, 4, file) == 4;
}

}  // namespace

WaveFormat WaveFormat::Pcm(uint32_t rate, uint16_t bits) {
    WaveFormat f;
    f.samplesPerSecond = rate;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<uint16_t>(bits / 8);
    f.avgBytesPerSecond = rate * bits / 8;
    return f;
}

std::string RecordingFileName(const std::string& folder, const LocalTm& start) {
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/') {
        prefix += '/';
    }
    char name[80];
    std::snprintf(name, sizeof name, "Stratavue(%04i-%02i-%02i) [%02i;%02i;%02i].wav", start.year, start.month,
                  start.day, start.hour, start.minute, start.second);
    return prefix + name;
}

WavFileWriter::~WavFileWriter() {
    Close();
}

bool WavFileWriter::Create(const std::string& path, const WaveFormat& format, std::string& error) {
    Close();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    std::string header = "RIFF";
    Put32(header, 0);
    header += "WAVEfmt ";
    Put32(header, kWaveFormatBytes);
    Put16(header, format.formatTag);
    Put16(header, format.channels);
    Put32(header, format.samplesPerSecond);
    Put32(header, format.avgBytesPerSecond);
    Put16(header, format.blockAlign);
    Put16(header, format.bitsPerSample);
    Put16(header, format.extraSize);
    header += "data";
    Put32(header, 0);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
        error = std::strerror(errno);
        std::fclose(file);
        return false;
    }
    file_ = file;
    dataBytes_ = 0;
    return true;
}

bool WavFileWriter::Append(const uint8_t* bytes, std::size_t count) {
    if (file_ == nullptr) {
        return false;
    }
    // A RIFF file cannot describe more than 4 GB: what would go beyond is dropped.
    const uint64_t room = std::numeric_limits<uint32_t>::max() - 64 - dataBytes_;
    count = static_cast<std::size_t>(std::min<uint64_t>(count, room));
    const std::size_t written = std::fwrite(bytes, 1, count, file_);
    dataBytes_ += written;
    return written == count;
}

bool WavFileWriter::Close() {
    if (file_ == nullptr) {
        return true;
    }
    bool ok = true;
    if ((dataBytes_ & 1) != 0) {
        ok = std::fputc(0, file_) != EOF;  // a chunk is padded to an even length
    }
    const auto dataSize = static_cast<uint32_t>(dataBytes_);
    const uint32_t riffSize = 4 + 8 + kWaveFormatBytes + 8 + dataSize + (dataSize & 1);
    ok = WriteSizeAt(file_, kDataSizeAt, dataSize) && ok;
    ok = WriteSizeAt(file_, kRiffSizeAt, riffSize) && ok;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}

}  // namespace svu
