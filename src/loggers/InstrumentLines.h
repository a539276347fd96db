#pragma once

// The text lines of the instruments that talk on their own: the wind speed and direction sensor,
// the particle counter and the Triscan wind station (its real-time stream and its download).
// Pure functions on text, no I/O, so every rule is tested on bytes.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

/// Collects received bytes into lines ended by CR, LF or ETX; empty lines are skipped. A line that
/// grows past the limit without an end is discarded up to its end, so a stream of junk cannot
/// fill the memory.
class InstrumentLineAssembler {
public:
    static constexpr std::size_t kMaxLine = 1024;

    explicit InstrumentLineAssembler(std::size_t maxLine = kMaxLine) : maxLine_(maxLine) {}
    void Append(std::string_view bytes);
    /// The next complete non-empty line; false when none is complete yet.
    bool NextLine(std::string& line);
    /// Lines discarded for their length since the last call (they count as corrupt).
    int TakeOverlong();
    void Clear();

private:
    std::size_t maxLine_;
    std::string current_;
    std::vector<std::string> ready_;
    std::size_t next_ = 0;
    bool skipping_ = false;  // inside an over-long line, waiting for its end
    int overlong_ = 0;
};

/// What a real-time line means for the station.
enum class LineVerdict {
    Ignored,  ///< not a reading (wrong length or prefix); dropped without a report
    Corrupt,  ///< looks like a reading but fails its checks: "Real time data is corrupt"
    Ok,
};

/// The comma-separated fields of a line; the last runs to the end of the line.
std::vector<std::string_view> SplitFields(std::string_view line);

// ---- wind speed and direction sensor (kind 5) ------------------------------------------------

struct WindReading {
    std::string direction;  ///< the three direction characters, as received
    std::string speed;      ///< the four speed characters, as received
};

/// "WSD ddd ssss..": direction at characters 4-6, speed at 8-11. A 14-character line is taken as
/// it is; other lengths only with the prefix "WSD ". Direction 0-359 and speed 0.0-159.0 are valid.
LineVerdict ParseSpeedDirectionLine(std::string_view line, WindReading& reading);

// ---- particle counter (kind 6) ---------------------------------------------------------------

struct ParticleReading {
    std::string date;                  ///< "dd/mm/yy"
    std::string time;                  ///< "hh:mm:ss"
    std::array<std::string, 4> rates;  ///< counts per minute, "%.5G"
};

/// "dd/mm/yy hh:mm:ss" at characters 0-16, then comma-separated fields of which 2-5 are the four
/// counts and 6 the sampling period in seconds. A line without its separators, its seven fields
/// or a positive period is corrupt (a period of 0 would give no count rate).
LineVerdict ParseParticleLine(std::string_view line, ParticleReading& reading);

// ---- Triscan wind station (kind 7) -----------------------------------------------------------

/// Commands: real-time stream on, off, and the logged data.
inline constexpr std::string_view kTriscanStreamOn = "X\r";
inline constexpr std::string_view kTriscanStreamOff = "Z\r";
inline constexpr std::string_view kTriscanDownload = "T\r";

struct TriscanReading {
    std::string speed;      ///< field 0, at least 4 characters
    std::string direction;  ///< field 1, exactly 3 characters, 0-359
};

/// "speed,direction[,...]".
LineVerdict ParseTriscanLine(std::string_view line, TriscanReading& reading);

/// The header of a downloaded log: the count 6 and the six value names, each line ended by CR LF.
std::string TriscanLogHeader();

/// The start line of a download: fields 1-6 are hour, minute, second, day, month and year (two or
/// four digits) of the first record. False when fields are missing or out of range.
bool ParseTriscanStartLine(std::string_view line, TimeT& start);

/// True for the line that ends the downloaded data.
bool IsTriscanEnd(std::string_view line);

/// One log record from a downloaded record line: field 0 is seconds after `start`, the rest of
/// the line after the first comma is kept as it stands. Ends with CR LF.
std::string TriscanLogRecord(TimeT start, std::string_view line);

}  // namespace svu
