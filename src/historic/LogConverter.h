#pragma once

// "Convert old log file": an old-format data file (a line of comma-separated names, a line of
// units, then the records) turned into a log file with the daily log header.

#include <string>

namespace svu {

/// How a conversion went: 0 when converted, else the message to show, 234 (a file could not be
/// opened or written) or 237 (the old file is not in the old format).
struct ConvertResult {
    int messageId = 0;
    int channels = 0;
    long records = 0;
};

/// Converts `oldPath` into `newPath`. The names are the third and later fields of the first line,
/// each followed by " (" + the unit in the same field of the second line + ")", as far as both
/// lines have fields. The new file gets the count line and one name per line, then every later line
/// of the old file unchanged; every line ends with CR LF. Nothing is written on failure.
ConvertResult ConvertOldLogFile(const std::string& oldPath, const std::string& newPath);

}  // namespace svu
