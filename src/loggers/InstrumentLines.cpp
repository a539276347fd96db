#include "loggers/InstrumentLines.h"

#include <cmath>

#include "framework/TextUtil.h"

namespace svu {

namespace {

constexpr char kEtx = 3;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == kEtx;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

// ---- line assembly ---------------------------------------------------------------------------

void InstrumentLineAssembler::Append(std::string_view bytes) {
    for (const char c : bytes) {
        if (IsLineEnd(c)) {
            if (!skipping_ && !current_.empty()) {
                ready_.push_back(std::move(current_));
            }
            current_.clear();
            skipping_ = false;
            continue;
        }
        if (skipping_) {
            continue;
        }
        if (current_.size() >= maxLine_) {
            current_.clear();
            skipping_ = true;
            ++overlong_;
            continue;
        }
        current_.push_back(c);
    }
}

bool InstrumentLineAssembler::NextLine(std::string& line) {
    if (next_ >= ready_.size()) {
        ready_.clear();
        next_ = 0;
        return false;
    }
    line = std::move(ready_[next_++]);
    return true;
}

int InstrumentLineAssembler::TakeOverlong() {
    const int count = overlong_;
    overlong_ = 0;
    return count;
}

void InstrumentLineAssembler::Clear() {
    current_.clear();
    ready_.clear();
    next_ = 0;
    skipping_ = false;
    overlong_ = 0;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

// ---- wind speed and direction --------------------------------------------------------------

LineVerdict ParseSpeedDirectionLine(std::string_view line, WindReading& reading) {
    if (line.size() != 14 && line.substr(0, 4) != "WSD ") {
        return LineVerdict::Ignored;
    }
    // A short line that only has the prefix cannot hold a reading.
    const std::string_view direction = line.size() > 4 ? line.substr(4, 3) : std::string_view();
    const std::string_view speed = line.size() > 8 ? line.substr(8, 4) : std::string_view();
    const int d = AtoI(direction);
    const float s = static_cast<float>(AtoF(speed));
    if (direction.empty() || speed.empty() || d < 0 || d > 359 || s < 0.0f || s > 159.0f) {
        return LineVerdict::Corrupt;
    }
    reading.direction.assign(direction);
    reading.speed.assign(speed);
    return LineVerdict::Ok;
}

// ---- particle counter ----------------------------------------------------------------------

LineVerdict ParseParticleLine(std::string_view line, ParticleReading& reading) {
    if (line.size() < 17 || line[2] != '/' || line[5] != '/' || line[11] != ':' || line[14] != ':') {
        return LineVerdict::Corrupt;
    }
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < 7) {
        return LineVerdict::Corrupt;
    }
    const float period = static_cast<float>(AtoF(fields[6]));
    if (!(period > 0.0f)) {
        return LineVerdict::Corrupt;
    }
    reading.date.assign(line.substr(0, 8));
    reading.time.assign(line.substr(9, 8));
    for (std::size_t i = 0; i < reading.rates.size(); ++i) {
        const double rate = AtoF(fields[i + 2]) * 60.0 / period;
        reading.rates[i] = std::isfinite(rate) ? FormatG5(rate) : std::string();
    }
    return LineVerdict::Ok;
}

// ---- Triscan -------------------------------------------------------------------------------

LineVerdict ParseTriscanLine(std::string_view line, TriscanReading& reading) {
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < 2) {
        return LineVerdict::Corrupt;
    }
    const int direction = AtoI(fields[1]);
    const double speed = AtoF(fields[0]);
    if (direction < 0 || direction > 359 || speed < 0 || fields[1].size() != 3 || fields[0].size() < 4) {
        return LineVerdict::Corrupt;
    }
    reading.speed.assign(fields[0]);
    reading.direction.assign(fields[1]);
    return LineVerdict::Ok;
}

std::string TriscanLogHeader() {
    return "6\r\nAve. speed\r\nMax. speed\r\nMin. speed\r\nAve. direction\r\nMax. direction\r\nMin. direction\r\n";
}

bool ParseTriscanStartLine(std::string_view line, TimeT& start) {
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < 7) {
        return false;
    }
    int v[6];
    for (int i = 0; i < 6; ++i) {
        const std::string_view field = Trim(fields[static_cast<std::size_t>(i) + 1]);
        if (!AllDigits(field) || field.size() > 4) {
            return false;
        }
        v[i] = AtoI(field);
    }
    int year = v[5];
    if (year < 100) {
        year += 2000;
    }
    if (v[0] > 23 || v[1] > 59 || v[2] > 59 || v[3] < 1 || v[3] > 31 || v[4] < 1 || v[4] > 12) {
        return false;
    }
    start = FromLocal(year, v[4], v[3], v[0], v[1], v[2]);
    return true;
}

bool IsTriscanEnd(std::string_view line) {
    return line.substr(0, 3) == "EOF";
}

std::string TriscanLogRecord(TimeT start, std::string_view line) {
    const std::size_t comma = line.find(',');
    const std::string_view rest = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
    const LocalTm tm = ToLocal(start + AtoL(line.substr(0, comma)));
    std::string record = FormatC("%02i/%02i/%02i, %02i:%02i:%02i, ", tm.day, tm.month, tm.year % 100, tm.hour,
                                 tm.minute, tm.second);
    record.append(rest);
    record += "\r\n";
    return record;
}

}  // namespace svu
