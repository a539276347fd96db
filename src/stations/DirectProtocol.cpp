#include "stations/DirectProtocol.h"

#include <algorithm>
#include <cmath>

#include "framework/TextUtil.h"

namespace svu::direct {

namespace {

// Any of them ends a real-time line: instruments end theirs with CR LF, CR, LF or ETX alone.
constexpr const char* kLineEnds = "\r\n\x03";

uint16_t ReadWord(const std::vector<uint8_t>& image, std::size_t offset) {
    return static_cast<uint16_t>((image[offset] << 8) | image[offset + 1]);
}

// value / 10^places rounded correctly (dividing by an exact power of ten rounds once).
double ScaleDown(long digits, int places) {
    if (places <= 0) {
        return static_cast<double>(digits) * std::pow(10.0, -places);
    }
    return static_cast<double>(digits) / std::pow(10.0, places);
}

}  // namespace

// ---- commands and replies ------------------------------------------------------------------

std::string NumberCommand(int value) {
    return FormatC("%i\r", value);
}

std::string CalibrationCommand(double value) {
    return FormatC("%.8f\r", value);
}

bool TakeReply(std::string& buffer, std::string& reply) {
    const std::size_t etx = buffer.find(kEtx);
    if (etx == std::string::npos) {
        return false;
    }
    reply = buffer.substr(0, etx + 1);
    buffer.erase(0, etx + 1);
    return true;
}

bool IsMenuPrompt(std::string_view reply) {
    const std::size_t size = kPrompt.size() + 1;
    return reply.size() >= size && reply.substr(reply.size() - size, kPrompt.size()) == kPrompt && reply.back() == kEtx;
}

bool ParseCountBefore(std::string_view reply, std::string_view word, int& count) {
    const std::size_t pos = reply.find(word);
    if (pos == std::string_view::npos || pos < 6) {
        return false;
    }
    count = AtoI(reply.substr(pos - 6, 6));
    return true;
}

bool ParseNumberAfterLineFeed(std::string_view reply, double& value) {
    const std::size_t lf = reply.size() > 5 ? reply.find('\n', 5) : std::string_view::npos;
    if (lf == std::string_view::npos) {
        return false;
    }
    value = AtoF(reply.substr(lf + 1));
    return true;
}

bool ParseTypeCode(std::string_view reply, int& type) {
    const std::size_t pos = reply.find("type");
    if (pos == std::string_view::npos) {
        return false;
    }
    type = pos + 5 < reply.size() ? AtoI(reply.substr(pos + 5)) : 0;
    return true;
}

double ParseLeadingNumber(std::string_view reply) {
    return AtoF(reply);
}

std::string ParseChannelName(std::string_view reply) {
    std::string name(reply);
    StripControlChars(name);
    return name;
}

// ---- real-time lines -------------------------------------------------------------------------

std::size_t MinimumLineLength(int rawChannels) {
    return 8 * static_cast<std::size_t>(std::max(rawChannels, 0)) + 18;
}

std::string LineChecksum(std::string_view body) {
    unsigned sum = 0;
    for (const char c : body) {
        sum += static_cast<unsigned char>(c);
    }
    return FormatC("%02x", sum % 256);
}

bool ChecksumMatches(std::string_view line) {
    if (line.size() < 2) {
        return false;
    }
    return EqualsNoCase(LineChecksum(line.substr(0, line.size() - 2)), line.substr(line.size() - 2));
}

std::string_view Resynchronise(std::string_view line) {
    const std::size_t slash = line.rfind('/');
    if (slash != std::string_view::npos && slash >= 6 && line[slash - 3] == '/') {
        return line.substr(slash - 5);
    }
    return line;
}

LineStatus ParseRealtimeLine(std::string_view line, int rawChannels, RealtimeReading& reading) {
    const std::size_t minimum = MinimumLineLength(rawChannels);
    if (line.size() < minimum) {
        return LineStatus::TooShort;
    }
    const std::string_view synced = Resynchronise(line);
    // The values are cut at fixed places: a line that lost characters in front cannot hold them.
    if (synced.size() < minimum || !ChecksumMatches(synced)) {
        return LineStatus::Corrupt;
    }
    reading.date = std::string(synced.substr(0, 8));
    reading.time = std::string(synced.substr(9, 8));
    reading.values.clear();
    for (int i = 0; i < rawChannels; ++i) {
        reading.values.emplace_back(synced.substr(18 + 8 * static_cast<std::size_t>(i), 7));
    }
    return LineStatus::Ok;
}

void RealtimeLineAssembler::Append(std::string_view bytes) {
    buffer_.append(bytes);
    // A stream without line ends is noise: keep only a tail long enough for any line.
    constexpr std::size_t kMaxPending = 4096;
    if (buffer_.size() > kMaxPending && buffer_.find_first_of(kLineEnds) == std::string::npos) {
        buffer_.erase(0, buffer_.size() - kMaxPending / 2);
    }
}

bool RealtimeLineAssembler::NextLine(std::string& line) {
    while (true) {
        const std::size_t end = buffer_.find_first_of(kLineEnds);
        if (end == std::string::npos) {
            return false;
        }
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        StripControlChars(line);
        if (!line.empty()) {
            return true;
        }
    }
}

// ---- logger records ----------------------------------------------------------------------------

bool DecodeRecordTime(const uint8_t* bytes, int referenceYear, RecordTime& time) {
    const int nibble = HighNibble(bytes[0]);
    time.month = LowNibble(bytes[0]);
    time.day = bytes[1] >> 3;
    time.hour = ((bytes[1] & 0x07) << 2) | (bytes[2] >> 6);
    time.minute = bytes[2] & 0x3F;
    if (referenceYear <= 0) {
        time.year = 1997 + nibble;
    } else {
        // The stamp keeps the year modulo 16; take the one in the 16 years up to a year ahead.
        const int newest = referenceYear + 1;
        time.year = newest - (((newest - 1997 - nibble) % 16) + 16) % 16;
    }
    return time.hour <= 23;
}

double DecodeShortFloat(uint8_t b0, uint8_t b1) {
    const long mantissa = LowNibble(b0) * 100L + HighNibble(b1) * 10L + LowNibble(b1);
    const int exponent = ((b0 >> 4) & 7) - 3;
    const double magnitude = ScaleDown(mantissa, 3 - exponent);
    return (b0 & 0x80) != 0 ? -magnitude : magnitude;
}

double DecodeFixedPoint(uint8_t b0, uint8_t b1) {
    const double number = AtoF(FormatC("%d.%02d%02d", b0 & 1, b0 >> 1, b1 >> 1));
    return (b1 & 1) != 0 ? -number : number;
}

double DecodeCalibration(const uint8_t* entry) {
    const int exponent = static_cast<int8_t>(entry[0]);
    std::string digits;
    bool negative = false;
    for (std::size_t i = 0; i < 2 * (image::kCalibrationEntrySize - 1); ++i) {
        const uint8_t byte = entry[1 + i / 2];
        const int nibble = (i % 2 == 0) ? HighNibble(byte) : LowNibble(byte);
        if (nibble > 9) {
            negative = nibble == 0xB || nibble == 0xD;
            break;
        }
        digits.push_back(static_cast<char>('0' + nibble));
    }
    if (digits.empty()) {
        return 0.0;
    }
    const double value = AtoF(FormatC("0.%se%d", digits.c_str(), exponent));
    return negative ? -value : value;
}

RecordDecoder::RecordDecoder(std::vector<Channel> channels, int floatChannels, int referenceYear)
    : channels_(std::move(channels)),
      floatChannels_(floatChannels),
      referenceYear_(referenceYear),
      totals_(channels_.size(), 0.0),
      totalDays_(channels_.size(), -1) {}

bool RecordDecoder::Decode(const uint8_t* record, std::string& line) {
    RecordTime time;
    if (!DecodeRecordTime(record, referenceYear_, time)) {
        return false;
    }
    line = FormatC("%02d/%02d/%02d,%02d:%02d:00", time.day, time.month, time.year % 100, time.hour, time.minute);
    const int day = time.year * 10000 + time.month * 100 + time.day;
    for (std::size_t c = 0; c < channels_.size(); ++c) {
        const uint8_t b0 = record[3 + 2 * c];
        const uint8_t b1 = record[4 + 2 * c];
        const Channel& channel = channels_[c];
        double value = static_cast<int>(c) < floatChannels_
                           ? DecodeShortFloat(b0, b1)
                           : (DecodeFixedPoint(b0, b1) + channel.offset) * channel.multiplier;
        if (channel.type == 8 && value < 0) {
            value = 0;
        }
        if (channel.type == 10 || channel.type == 13) {
            // Compared by whole date, so a gap of exactly a month does not carry a total over.
            if (totalDays_[c] != day) {
                totals_[c] = 0;
                totalDays_[c] = day;
            }
            totals_[c] += value;
            value = totals_[c];
        }
        std::string text = FormatC("%12.5f", value + 0.0);  // + 0.0 turns -0 into 0
        TrimTrailingZeros(text);
        line += ',';
        line += TrimLeft(text);
    }
    return true;
}

// ---- the memory image ----------------------------------------------------------------------------

std::size_t MemoryImageInfo::Capacity() const {
    const std::size_t size = RecordSize(channelCount);
    return areaEnd > image::kRecords ? (areaEnd - image::kRecords) / size : 0;
}

bool ReadMemoryImageInfo(const std::vector<uint8_t>& bytes, MemoryImageInfo& info, std::string* error) {
    const auto fail = [&](const char* why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    if (bytes.size() < image::kRecords) {
        return fail("memory image too short");
    }
    info = MemoryImageInfo{};
    info.channelCount = bytes[image::kChannelCount];
    if (info.channelCount > image::kMaxChannels) {
        return fail("memory image names too many channels");
    }
    info.floatChannels = std::min<int>(bytes[image::kFloatChannels], info.channelCount);
    for (int c = 0; c < info.channelCount; ++c) {
        const std::size_t at = image::kChannelNames + image::kNameSize * static_cast<std::size_t>(c);
        std::string name;
        for (std::size_t i = 0; i < image::kNameSize && bytes[at + i] != 0; ++i) {
            // A name is one line of the log header whatever the memory holds.
            name.push_back(bytes[at + i] < 0x20 ? ' ' : static_cast<char>(bytes[at + i]));
        }
        info.names.emplace_back(TrimRight(name));
        RecordDecoder::Channel channel;
        channel.type = bytes[image::kChannelTypes + static_cast<std::size_t>(c)];
        const std::size_t cal = image::kCalibration + 2 * image::kCalibrationEntrySize * static_cast<std::size_t>(c);
        channel.offset = DecodeCalibration(&bytes[cal]);
        channel.multiplier = DecodeCalibration(&bytes[cal + image::kCalibrationEntrySize]);
        info.channels.push_back(channel);
    }
    info.areaEnd = std::min<std::size_t>(ReadWord(bytes, image::kAreaEndPointer), bytes.size());
    info.oldest = ReadWord(bytes, image::kOldestPointer);
    info.next = ReadWord(bytes, image::kNextPointer);
    info.newest = ReadWord(bytes, image::kNewestPointer);
    const std::size_t size = RecordSize(info.channelCount);
    const std::size_t capacity = info.Capacity();
    if (info.newest == 0) {
        return true;
    }
    if (capacity == 0) {
        return fail("memory image has no record area");
    }
    const auto slot = [&](std::size_t pointer) {
        return pointer >= image::kRecords && pointer < image::kRecords + capacity * size &&
               (pointer - image::kRecords) % size == 0;
    };
    if (!slot(info.oldest) || !slot(info.newest)) {
        return fail("memory image record pointers are out of range");
    }
    return true;
}

std::vector<std::size_t> RecordOffsets(const MemoryImageInfo& info) {
    std::vector<std::size_t> offsets;
    const std::size_t size = RecordSize(info.channelCount);
    const std::size_t capacity = info.Capacity();
    if (info.newest == 0 || capacity == 0) {
        return offsets;
    }
    const std::size_t end = image::kRecords + capacity * size;
    std::size_t at = info.oldest;
    // Bounded by the capacity, so damaged pointers cannot make the walk go round for ever.
    for (std::size_t n = 0; n < capacity; ++n) {
        offsets.push_back(at);
        if (at == info.newest) {
            break;
        }
        at += size;
        if (at >= end) {
            at = image::kRecords;
        }
    }
    return offsets;
}

bool ConvertMemoryImage(const std::vector<uint8_t>& bytes, int referenceYear, std::string& logText, std::string* error,
                        const std::vector<uint32_t>* typeOverride) {
    MemoryImageInfo info;
    if (!ReadMemoryImageInfo(bytes, info, error)) {
        return false;
    }
    if (typeOverride != nullptr) {
        for (std::size_t c = 0; c < info.channels.size() && c < typeOverride->size(); ++c) {
            info.channels[c].type = (*typeOverride)[c];
        }
    }
    logText = FormatC("%i\r\n", info.channelCount);
    for (const std::string& name : info.names) {
        logText += name + "\r\n";
    }
    RecordDecoder decoder(info.channels, info.floatChannels, referenceYear);
    std::string line;
    for (const std::size_t offset : RecordOffsets(info)) {
        const uint8_t* record = &bytes[offset];
        if (record[0] == 0xFF && record[1] == 0xFF && record[2] == 0xFF) {
            continue;  // erased
        }
        if (decoder.Decode(record, line)) {
            logText += line + "\r\n";
        }
    }
    return true;
}

}  // namespace svu::direct
