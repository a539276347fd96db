#pragma once

// The data logger's binary records (from its memory or its compact flash card) turned into an
// ordinary log file that the historic views read. A record: n (1 byte), kind (1 byte, 1 for a
// reading), time (4 bytes, big-endian seconds since 1970 taken as a calendar time, no zone), n
// big-endian IEEE floats, and one byte that carries nothing for us.

#include <cstdint>
#include <string>
#include <vector>

namespace svu {

class UserInterface;

/// "Unable to open header file", "Invalid header file", "Unable to open log file", "Unable to open
/// data file": the ways a conversion fails, or None.
enum class LoggerConversionError { None, HeaderOpen, HeaderInvalid, LogOpen, DataOpen };

/// The message of a failure.
const char* LoggerConversionMessage(LoggerConversionError error);

struct LoggerConversionResult {
    LoggerConversionError error = LoggerConversionError::None;
    long records = 0;  // reading lines written
};

/// Date and time of a logger time: "dd/mm/yy, hh:mm:ss" (year modulo 100), from the day number
/// and the seconds of the day, with no time zone.
std::string LoggerTimeToDate(uint32_t seconds);

/// The channel names of a card's header file: line 5 split at commas, fields as they stand.
/// False when the file does not open (`error` HeaderOpen) or ends before line 5 (HeaderInvalid).
bool ReadLoggerHeader(const std::string& headerPath, std::vector<std::string>& names, LoggerConversionError& error);

/// Converts the records of `dataPath` into `logPath` under `names`: the count line, the names, one
/// line per reading record ("%g" values). The log file is replaced only when written completely.
LoggerConversionResult ConvertLoggerRecords(const std::vector<std::string>& names, const std::string& dataPath,
                                            const std::string& logPath);

/// Card conversion: the header file's names and the data file into the log file. With `ui`, the
/// wait cursor shows while it runs and a failure is reported in a message box.
LoggerConversionResult ConvertLoggerData(const std::string& headerPath, const std::string& dataPath,
                                         const std::string& logPath, UserInterface* ui = nullptr);

}  // namespace svu
