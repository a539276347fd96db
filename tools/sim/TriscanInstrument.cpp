#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/LineInstruments.h"

namespace svu::sim {

TriscanInstrument::TriscanInstrument(const LineSimOptions& options, TimeT now, int64_t tick)
    : LineInstrument(options, now, tick), streaming_(options.streaming) {}

std::string TriscanInstrument::OnTick(TimeT, int64_t tick) {
    if (!Due(tick) || !streaming_) {
        return {};
    }
    if (Picks(options_.longEvery)) {
        Note("over-long line");
        return LongLine("\r\n");
    }
    speed_ = std::clamp(speed_ + Uniform(-1.2, 1.2), 0.0, 45.0);
    direction_ = std::fmod(direction_ + Uniform(-10, 10) + 360.0, 360.0);
    const int direction = static_cast<int>(std::lround(direction_)) % 360;
    char line[40];
    if (Picks(options_.corruptEvery)) {
        // The direction without its leading zeros: two characters where three belong.
        std::snprintf(line, sizeof line, "%04.1f,%02d\r\n", speed_, direction % 100);
        Note("short direction field");
        return line;
    }
    std::snprintf(line, sizeof line, "%04.1f,%03d\r\n", speed_, direction);
    char entry[24];
    std::snprintf(entry, sizeof entry, "%04.1f %03d", speed_, direction);
    Record(entry);
    return line;
}

std::string TriscanInstrument::OnInput(std::string_view bytes, TimeT, int64_t) {
    std::string out;
    for (const char c : bytes) {
        if (c != '\r' && c != '\n') {
            command_.push_back(c);
            continue;
        }
        if (command_ == "X") {
            streaming_ = true;
            Note("stream on");
        } else if (command_ == "Z") {
            streaming_ = false;
            Note("stream off");
        } else if (command_ == "T") {
            streaming_ = false;
            Note("download");
            out += Download();
        }
        command_.clear();
    }
    return out;
}

std::string TriscanInstrument::Download() {
    const TimeT start = clock_ - static_cast<TimeT>(options_.records) * options_.recordSeconds;
    const LocalTm s = ToLocal(start);
    char line[128];
    std::snprintf(line, sizeof line, "START,%02d,%02d,%02d,%02d,%02d,%02d\r\n", s.hour, s.minute, s.second, s.day,
                  s.month, s.year % 100);
    std::string out = line;
    for (int i = 0; i < options_.records; ++i) {
        const long offset = static_cast<long>(i) * options_.recordSeconds;
        const double average = Uniform(3, 12);
        const double maximum = average + Uniform(2, 9);
        const double minimum = std::max(average - Uniform(1, 4), 0.0);
        const int dirAverage = static_cast<int>(Uniform(200, 300));
        const int dirMaximum = dirAverage + static_cast<int>(Uniform(5, 40));
        const int dirMinimum = dirAverage - static_cast<int>(Uniform(5, 40));
        char values[96];
        std::snprintf(values, sizeof values, "%.1f,%.1f,%.1f,%03d,%03d,%03d", average, maximum, minimum, dirAverage,
                      dirMaximum, dirMinimum);
        std::snprintf(line, sizeof line, "%ld,%s\r\n", offset, values);
        out += line;
        const LocalTm t = ToLocal(start + offset);
        char entry[160];
        std::snprintf(entry, sizeof entry, "record %02d/%02d/%02d, %02d:%02d:%02d, %s", t.day, t.month, t.year % 100,
                      t.hour, t.minute, t.second, values);
        Record(entry);
    }
    return out + "EOF\r\n";
}

}  // namespace svu::sim
