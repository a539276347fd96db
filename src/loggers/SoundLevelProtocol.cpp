#include "loggers/SoundLevelProtocol.h"

#include "framework/TextUtil.h"

namespace svu {

namespace {

constexpr const char* kLineEnd = "\r\n";

const std::string& At(const std::vector<std::string>& table, int index) {
    static const std::string empty;
    return index >= 0 && static_cast<std::size_t>(index) < table.size() ? table[static_cast<std::size_t>(index)]
                                                                        : empty;
}

}  // namespace

float LevelFromCounts(uint8_t low, uint8_t high) {
    const auto counts = static_cast<uint16_t>(high * 256 + low);
    return static_cast<float>(counts) * kDecibelsPerCount;
}

bool DecodeLevelAnswer(const uint8_t* bytes, std::size_t size, SoundLevels& levels) {
    if (size != kLevelAnswerSize || bytes[0] != kLevelAnswerMark) {
        return false;
    }
    levels.overload = (bytes[1] & 0x20) != 0;
    levels.batteryLow = (bytes[1] & 0x10) != 0;
    levels.underRange = (bytes[1] & 0x08) != 0;
    levels.leq = LevelFromCounts(bytes[2], bytes[3]);
    levels.peak = LevelFromCounts(bytes[4], bytes[5]);
    levels.spl = LevelFromCounts(bytes[6], bytes[7]);
    return true;
}

std::array<std::string, 6> LevelTexts(const SoundLevels& levels) {
    return {levels.overload ? "1" : "0",
            levels.batteryLow ? "1" : "0",
            levels.underRange ? "1" : "0",
            FormatC("%g", static_cast<double>(levels.leq)),
            FormatC("%g", static_cast<double>(levels.peak)),
            FormatC("%g", static_cast<double>(levels.spl))};
}

bool OnlineLineReader::Feed(uint8_t byte, std::string& line) {
    if (!collecting_) {
        if (byte == '\n') {
            collecting_ = true;
            current_.clear();
        }
        return false;
    }
    if (byte == '\r') {
        line = std::move(current_);
        current_.clear();
        collecting_ = false;
        return true;
    }
    current_.push_back(static_cast<char>(byte));
    if (current_.size() >= kOnlineLineLimit) {
        current_.clear();
        collecting_ = false;
        ++overlong_;
    }
    return false;
}

void OnlineLineReader::Reset() {
    current_.clear();
    collecting_ = false;
}

int OnlineLineReader::TakeOverlong() {
    const int count = overlong_;
    overlong_ = 0;
    return count;
}

bool IsPeriodLine(std::string_view line) {
    return line.size() >= 18 && line[2] == '/' && line[5] == '/' && line[8] == ',' && line[11] == ':' &&
           line[14] == ':' && line[17] == ',';
}

OnlineLine ParseOnlineLine(std::string_view line, std::vector<std::string>& values) {
    OnlineLine result;
    std::string_view rest = line;
    if (IsPeriodLine(line)) {
        result.period = true;
        const auto two = [&](std::size_t at) { return AtoI(line.substr(at, 2)); };
        result.time = FromLocal(2000 + two(6), two(3), two(0), two(9), two(12), two(15));
        rest = line.substr(18);
    }
    const int base = result.period ? 0 : kPeriodChannels;
    std::size_t start = 0;
    for (int k = 0;; ++k) {
        const std::size_t comma = rest.find(',', start);
        const int channel = base + k / 2;
        if (channel >= kSoundChannels) {
            break;
        }
        if (k % 2 == 1 && static_cast<std::size_t>(channel) < values.size()) {
            values[static_cast<std::size_t>(channel)].assign(
                rest.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
            ++result.count;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    return result;
}

std::string FunctionFileName(const std::string& folder, const std::string& stationName, TimeT time,
                             const char* extension) {
    return folder + "/" + stationName + "-" + FormatFileDate(time) + extension;
}

std::string FunctionFileHeader(const std::vector<std::string>& names, int first, int count) {
    std::string header = FormatC("%i", count) + kLineEnd;
    for (int i = 0; i < count; ++i) {
        header += At(names, first + i);
        header += kLineEnd;
    }
    return header;
}

std::string FunctionFileRecord(TimeT time, const std::vector<std::string>& values, int first, int count) {
    std::string record = FormatLogStamp(time);
    for (int i = 0; i < count; ++i) {
        record += ", ";
        record += At(values, first + i);
    }
    record += kLineEnd;
    return record;
}

}  // namespace svu
