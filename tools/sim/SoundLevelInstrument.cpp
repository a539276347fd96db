#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/LineInstruments.h"

namespace svu::sim {

namespace {

constexpr unsigned char kPollKeep = 0xC3;
constexpr unsigned char kPollReset = 0xC4;
constexpr unsigned char kGoodMark = 0xF8;

// A level in the meter's counts of 1/320 dB.
unsigned Counts(double decibels) {
    return static_cast<unsigned>(std::clamp(std::lround(decibels * 320.0), 0L, 65535L));
}

}  // namespace

std::string SoundLevelInstrument::OnInput(std::string_view bytes, TimeT, int64_t) {
    if (options_.online) {
        return {};
    }
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == kPollKeep || b == kPollReset) {
            out += Answer(b == kPollReset);
        }
    }
    return out;
}

std::string SoundLevelInstrument::Answer(bool reset) {
    ++count_;
    // A street at daytime: the sound pressure wanders around 60 dB with passing traffic.
    const double spl = std::clamp(58.0 + Uniform(-8, 14), 30.0, 130.0);
    leqSum_ += std::pow(10.0, spl / 10.0);
    ++leqCount_;
    peak_ = std::max(peak_, spl + Uniform(8, 16));
    const double leq = 10.0 * std::log10(leqSum_ / leqCount_);
    const bool underRange = spl < 35.0;
    const bool overload = peak_ > 125.0;
    const unsigned flags = (overload ? 0x20u : 0u) | (underRange ? 0x08u : 0u);
    const unsigned levels[3] = {Counts(leq), Counts(peak_), Counts(spl)};
    std::string answer;
    answer.push_back(static_cast<char>(Picks(options_.wrongByteEvery) ? 0xF7 : kGoodMark));
    answer.push_back(static_cast<char>(flags));
    for (const unsigned level : levels) {
        answer.push_back(static_cast<char>(level & 0xFF));
        answer.push_back(static_cast<char>(level >> 8));
    }
    if (static_cast<unsigned char>(answer[0]) != kGoodMark) {
        Note("wrong first byte");
    } else if (Picks(options_.extraByteEvery)) {
        answer.push_back('\0');
        Note("answer of 9 bytes");
    } else {
        char entry[64];
        std::snprintf(entry, sizeof entry, "%d %d %d %u %u %u", overload ? 1 : 0, 0, underRange ? 1 : 0, levels[0],
                      levels[1], levels[2]);
        Record(entry);
    }
    if (reset) {
        leqSum_ = 0;
        leqCount_ = 0;
        peak_ = 0;
    }
    return answer;
}

std::string SoundLevelInstrument::OnTick(TimeT, int64_t tick) {
    if (!options_.online || !Due(tick)) {
        return {};
    }
    if (Picks(options_.longEvery)) {
        Note("over-long line");
        return LongLine("\r\n");
    }
    return OnlineLine();
}

std::string SoundLevelInstrument::OnlineLine() {
    char line[160];
    // Every third line is a profile line; the others close a measuring period.
    if (count_ % 3 == 0) {
        std::snprintf(line, sizeof line, "LAF,%.1f", Uniform(45, 75));
    } else {
        clock_ += options_.sampleSeconds;
        const LocalTm tm = ToLocal(clock_);
        const double leq = Uniform(50, 65);
        std::snprintf(line, sizeof line, "%02d/%02d/%02d,%02d:%02d:%02d,LAeq,%.1f,LAFmax,%.1f,LAFmin,%.1f", tm.day,
                      tm.month, tm.year % 100, tm.hour, tm.minute, tm.second, leq, leq + Uniform(8, 20),
                      leq - Uniform(5, 12));
        if (Picks(options_.corruptEvery)) {
            line[2] = '-';  // no longer a period stamp
            Note("damaged period stamp");
        }
    }
    Record(line);
    return std::string(line) + "\r\n";
}

}  // namespace svu::sim
