#pragma once

// Settings of the simulated Direct station instrument: its channels and how their values move,
// its logging settings and memory, and the faults it can be told to show.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/LocalTime.h"

namespace svu::sim {

/// How a channel's value moves with the instrument's clock.
struct ValuePattern {
    enum class Kind { Constant, Sine, Ramp, Random, Pulse };
    Kind kind = Kind::Constant;
    double a = 0;  ///< constant: value; sine: mean; ramp: from; random: min; pulse: amount
    double b = 0;  ///< sine: amplitude; ramp: to; random: max; pulse: probability 0..1
    double c = 0;  ///< sine and ramp: period in seconds
};

struct SimChannel {
    std::string name;
    uint32_t type = 0;
    ValuePattern pattern;
    int decimals = 1;
    std::optional<double> offset;      ///< calibration of a fixed-point channel (default 0)
    std::optional<double> multiplier;  ///< default: the power of ten that makes the range fit
};

struct DirectSimOptions {
    std::vector<SimChannel> channels;  ///< empty: the default eight
    int floatChannels = -1;            ///< channels stored as short floats; -1: half of them
    int counters = 0;
    int periodMs = 1000;             ///< between real-time lines
    int loggerInterval = 2;          ///< minutes
    int gustPeriod = 10;             ///< seconds
    std::optional<TimeT> startTime;  ///< the instrument clock's time at start (default: now)
    int records = 0;                 ///< records in memory at start
    int recordStart = -1;            ///< slot of the first of them; -1: placed so the walk wraps
    int erasedEvery = 0;             ///< every Nth of the starting records is erased
    int memorySize = 16384;          ///< bytes of logger memory
    int corruptEvery = 0;            ///< every Nth real-time line carries a wrong checksum
    int strayBytes = 0;              ///< junk characters put before a real-time line
    int strayEvery = 1;              ///< ... before every Nth line
    bool etxLineEnds = false;        ///< real-time lines end with ETX alone instead of CR LF
    bool silent = false;             ///< never answers
    int silenceAfter = 0;            ///< seconds of talking before each silence (0: none)
    int silenceFor = 0;              ///< seconds of each silence
    int unplugAfter = 0;             ///< seconds before the device vanishes (0: never)
    int unplugFor = 5;               ///< seconds until it comes back under a new pty
    bool startInMonitor = false;     ///< streams real-time lines from the start
    uint64_t seed = 1;
    std::string linkPath;  ///< symbolic link kept pointing at the device
    bool verbose = false;
};

/// The default channel set: temperature, humidity, pressure, wind, rain, sun, battery.
std::vector<SimChannel> DefaultChannels();

/// Reads "NAME,TYPE,PATTERN[,dec=N][,offset=X][,mult=Y]" (see the help text).
bool ParseChannelDefinition(const std::string& text, SimChannel& channel, std::string& error);

/// Reads the options after "direct"; false with a message for the user. help is set for --help.
bool ParseDirectSimOptions(const std::vector<std::string>& args, DirectSimOptions& options, bool& help,
                           std::string& error);

/// The --help text of "stratavue-sim direct".
const char* DirectSimHelp();

/// The channel's value at an instrument time; random patterns depend on seed, channel and time
/// only, so a run can be repeated exactly.
double PatternValue(const SimChannel& channel, int channelIndex, TimeT time, uint64_t seed);

/// The largest magnitude a channel's pattern reaches.
double PatternMagnitude(const ValuePattern& pattern);

}  // namespace svu::sim
