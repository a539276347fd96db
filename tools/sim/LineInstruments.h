#pragma once

// The simulated line-sending instruments. Each writes its bytes from its own code, never from the
// stations' protocol code, so a mistake on one side is not repeated on the other.

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"
#include "sim/LineSimOptions.h"

namespace svu::sim {

class LineInstrument {
public:
    explicit LineInstrument(const LineSimOptions& options, TimeT now, int64_t tick);
    virtual ~LineInstrument() = default;

    /// What the instrument sends by itself at this moment.
    virtual std::string OnTick(TimeT now, int64_t tick) = 0;
    /// The answer to bytes received.
    virtual std::string OnInput(std::string_view bytes, TimeT now, int64_t tick) { return {}; }
    /// The good value sets sent since the last call, one text each, for the transcript.
    std::vector<std::string> TakeTranscript();
    /// Messages about what the instrument did since the last call.
    std::vector<std::string> TakeLog();

protected:
    /// True when the next periodic line is due (and moves the schedule on).
    bool Due(int64_t tick);
    /// Numbers the next line; true when the fault switch `every` picks it.
    bool Picks(int every) const { return every > 0 && count_ % every == 0; }
    /// A line 1500 bytes long ended like the instrument's lines.
    static std::string LongLine(const char* end);
    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    void Record(std::string entry) { transcript_.push_back(std::move(entry)); }
    void Note(std::string text) { log_.push_back(std::move(text)); }

    LineSimOptions options_;
    TimeT clock_;      ///< the instrument's own clock, for stamped lines
    int64_t count_ = 0;  ///< lines (or answers) so far, the current one included
    std::mt19937_64 random_;

private:
    int64_t nextTick_;
    std::vector<std::string> transcript_;
    std::vector<std::string> log_;
};

/// "WSD ddd ss.s A" lines: direction and speed of a gusty south-westerly.
class WindInstrument : public LineInstrument {
public:
    using LineInstrument::LineInstrument;
    std::string OnTick(TimeT now, int64_t tick) override;

private:
    double direction_ = 230;
    double speed_ = 6;
};

/// "dd/mm/yy,hh:mm:ss,c0,c1,c2,c3,period" lines: four size classes of particles counted over the
/// sampling period.
class ParticleInstrument : public LineInstrument {
public:
    using LineInstrument::LineInstrument;
    std::string OnTick(TimeT now, int64_t tick) override;
};

/// "speed,direction" while streaming ("X" on, "Z" off); "T" sends the logged records.
class TriscanInstrument : public LineInstrument {
public:
    TriscanInstrument(const LineSimOptions& options, TimeT now, int64_t tick);
    std::string OnTick(TimeT now, int64_t tick) override;
    std::string OnInput(std::string_view bytes, TimeT now, int64_t tick) override;

private:
    std::string Download();

    bool streaming_;
    std::string command_;
    double speed_ = 7;
    double direction_ = 250;
};

/// Standard mode: 8-byte answers to the poll bytes C3/C4. Online mode: period function lines and
/// profile function lines sent by itself.
class SoundLevelInstrument : public LineInstrument {
public:
    using LineInstrument::LineInstrument;
    std::string OnTick(TimeT now, int64_t tick) override;
    std::string OnInput(std::string_view bytes, TimeT now, int64_t tick) override;

private:
    std::string Answer(bool reset);
    std::string OnlineLine();

    double leqSum_ = 0;
    int leqCount_ = 0;
    double peak_ = 0;
};

/// The instrument the options name.
std::unique_ptr<LineInstrument> MakeLineInstrument(const LineSimOptions& options, TimeT now, int64_t tick);

}  // namespace svu::sim
