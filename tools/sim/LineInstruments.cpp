#include "sim/LineInstruments.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace svu::sim {

LineInstrument::LineInstrument(const LineSimOptions& options, TimeT now, int64_t tick)
    : options_(options), clock_(options.startTime.value_or(now)), random_(options.seed), nextTick_(tick) {}

std::vector<std::string> LineInstrument::TakeTranscript() {
    std::vector<std::string> entries;
    entries.swap(transcript_);
    return entries;
}

std::vector<std::string> LineInstrument::TakeLog() {
    std::vector<std::string> entries;
    entries.swap(log_);
    return entries;
}

bool LineInstrument::Due(int64_t tick) {
    if (tick < nextTick_) {
        return false;
    }
    nextTick_ = std::max(nextTick_ + options_.periodMs, tick);
    ++count_;
    return true;
}

std::string LineInstrument::LongLine(const char* end) {
    std::string line;
    for (int i = 0; i < 1500; ++i) {
        line.push_back(static_cast<char>('A' + i % 26));
    }
    return line + end;
}

std::string WindInstrument::OnTick(TimeT, int64_t tick) {
    if (!Due(tick)) {
        return {};
    }
    if (Picks(options_.longEvery)) {
        Note("over-long line");
        return LongLine("\r\n");
    }
    direction_ += Uniform(-12, 12);
    direction_ = std::fmod(direction_ + 360.0, 360.0);
    speed_ = std::clamp(speed_ + Uniform(-1.5, 1.5), 0.0, 38.0);
    int direction = static_cast<int>(std::lround(direction_)) % 360;
    if (Picks(options_.corruptEvery)) {
        direction += 400;  // beyond the compass
        Note("direction out of range");
    }
    char line[40];
    std::snprintf(line, sizeof line, "WSD %03d %04.1f A\r\n", direction, speed_);
    if (direction < 360) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%03d %04.1f", direction, speed_);
        Record(entry);
    }
    return line;
}

std::string ParticleInstrument::OnTick(TimeT, int64_t tick) {
    if (!Due(tick)) {
        return {};
    }
    if (Picks(options_.longEvery)) {
        Note("over-long line");
        return LongLine("\r\n");
    }
    const LocalTm tm = ToLocal(clock_);
    clock_ += options_.sampleSeconds;
    // Smaller particles are far more common; counts scale with the sampling period.
    const double scale = options_.sampleSeconds / 60.0;
    const long counts[4] = {std::lround(Uniform(1500, 2500) * scale), std::lround(Uniform(300, 600) * scale),
                            std::lround(Uniform(40, 120) * scale), std::lround(Uniform(0, 15) * scale)};
    char line[96];
    const char dateSeparator = Picks(options_.corruptEvery) ? '-' : '/';
    std::snprintf(line, sizeof line, "%02d%c%02d%c%02d,%02d:%02d:%02d,%ld,%ld,%ld,%ld,%d\r\n", tm.day, dateSeparator,
                  tm.month, dateSeparator, tm.year % 100, tm.hour, tm.minute, tm.second, counts[0], counts[1],
                  counts[2], counts[3], options_.sampleSeconds);
    if (dateSeparator == '/') {
        char entry[96];
        std::snprintf(entry, sizeof entry, "%02d/%02d/%02d %02d:%02d:%02d %ld %ld %ld %ld %d", tm.day, tm.month,
                      tm.year % 100, tm.hour, tm.minute, tm.second, counts[0], counts[1], counts[2], counts[3],
                      options_.sampleSeconds);
        Record(entry);
    } else {
        Note("wrong date separators");
    }
    return line;
}

std::unique_ptr<LineInstrument> MakeLineInstrument(const LineSimOptions& options, TimeT now, int64_t tick) {
    if (options.instrument == "wind") {
        return std::make_unique<WindInstrument>(options, now, tick);
    }
    if (options.instrument == "particles") {
        return std::make_unique<ParticleInstrument>(options, now, tick);
    }
    if (options.instrument == "triscan") {
        return std::make_unique<TriscanInstrument>(options, now, tick);
    }
    return std::make_unique<SoundLevelInstrument>(options, now, tick);
}

}  // namespace svu::sim
