#pragma once

// The sound level meter's two ways of talking, as pure functions on bytes: the standard mode's
// one-byte poll and 8-byte binary answer, and the online mode's text lines (period and profile
// functions) with the reader that finds them in the byte stream.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

// ---- standard mode ---------------------------------------------------------------------------

/// The poll command: the answer, after which the meter resets its flags, LEQ and Peak ...
inline constexpr uint8_t kLevelPollReset = 0xC4;
/// ... or leaves them running.
inline constexpr uint8_t kLevelPollKeep = 0xC3;
/// The first byte of a good answer.
inline constexpr uint8_t kLevelAnswerMark = 0xF8;
inline constexpr std::size_t kLevelAnswerSize = 8;
/// One count of a level is 1/320 dB.
inline constexpr float kDecibelsPerCount = 0.003125f;

struct SoundLevels {
    bool overload = false;
    bool batteryLow = false;
    bool underRange = false;
    float leq = 0;
    float peak = 0;
    float spl = 0;
};

/// The poll command byte.
constexpr uint8_t LevelPollCommand(bool reset) {
    return reset ? kLevelPollReset : kLevelPollKeep;
}

/// A 16-bit level, low byte first, in dB.
float LevelFromCounts(uint8_t low, uint8_t high);

/// Decodes an answer: F8, flags (overload bit 5, battery low bit 4, under range bit 3), then LEQ,
/// Peak and SPL as 16-bit counts. False when it is not 8 bytes or does not start with F8.
bool DecodeLevelAnswer(const uint8_t* bytes, std::size_t size, SoundLevels& levels);

/// The six channel texts: "1"/"0" for each flag, then each level with "%g".
std::array<std::string, 6> LevelTexts(const SoundLevels& levels);

// ---- online mode -----------------------------------------------------------------------------

/// The raw channels of the station: nine period functions and one profile function.
inline constexpr int kSoundChannels = 10;
inline constexpr int kPeriodChannels = 9;
/// A line reaching this many bytes without its carriage return is discarded.
inline constexpr std::size_t kOnlineLineLimit = 1021;

/// Finds the lines of the online stream: the text between a line feed and the next carriage
/// return. Bytes before the first line feed (the line the port opened in the middle of) are never
/// a line, and an over-long line is dropped up to the next line feed.
class OnlineLineReader {
public:
    /// Takes one byte; true when it completed a line, which is then in `line`.
    bool Feed(uint8_t byte, std::string& line);
    /// Back to waiting for a line feed (after the port was opened again).
    void Reset();
    /// Lines dropped for their length since the last call.
    int TakeOverlong();

private:
    std::string current_;
    bool collecting_ = false;
    int overlong_ = 0;
};

/// What an online line held.
struct OnlineLine {
    bool period = false;  ///< a period line (time-stamped by the meter), else a profile line
    TimeT time = 0;       ///< the meter's time stamp of a period line
    int count = 0;        ///< values stored from this line
};

/// True when the line starts "DD/MM/YY,hh:mm:ss," (the stamp of a period line).
bool IsPeriodLine(std::string_view line);

/// Stores the line's values into `values` (at least kSoundChannels texts): the odd fields of the
/// name,value pairs, period values from channel 1 (index 0) on, the profile value at channel 10
/// (index 9). Channels the line does not reach keep their texts; pairs beyond channel 10 are
/// ignored.
OnlineLine ParseOnlineLine(std::string_view line, std::vector<std::string>& values);

// ---- period and profile files ----------------------------------------------------------------

/// "name-yyyymmdd.per" (or ".pro") in the log folder.
std::string FunctionFileName(const std::string& folder, const std::string& stationName, TimeT time,
                             const char* extension);

/// The header of a new file: the count, then the names of the channels from `first` (0-based).
std::string FunctionFileHeader(const std::vector<std::string>& names, int first, int count);

/// One record: "dd/mm/yy, hh:mm:ss" then ", value" for each of the count channels from `first`.
std::string FunctionFileRecord(TimeT time, const std::vector<std::string>& values, int first, int count);

}  // namespace svu
