#pragma once

// "Combine log files": a station's daily log files over a period joined into one log file, with
// the header of the first day found.

#include <string>

#include "historic/DayFiles.h"

namespace svu {

/// How a combination went.
struct CombineResult {
    int filesFound = 0;
    int daysMissing = 0;
    bool written = false;  // the output file was (re)written
    /// The message to show afterwards: 583 (the output could not be written), 582 (no file in the
    /// period), 581 (some days missing), or 0.
    int messageId = 0;
    /// Set (with message 583) when the output named one of the day files to be combined: writing
    /// it would replace that day's log, so nothing is written.
    std::string refusal;
};

/// Joins the day files from `from` to `to` (inclusive) into `outputPath`: the first file found
/// whole, every later one without its header (count line and names). Every line of the output ends
/// with CR LF. The output is replaced only when it was written completely, and never when it is
/// one of the day files read.
CombineResult CombineLogFiles(const std::string& logFolder, const std::string& stationName, CalendarDay from,
                              CalendarDay to, const std::string& outputPath);

}  // namespace svu
