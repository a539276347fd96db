#pragma once

// The data logger's command line and real-time stream as bytes: how its replies are cut from what
// arrives, its menu, its real-time lines with and without checksum, the size announcement of a
// memory download and the time-left text of the transfer. Pure functions, no I/O.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "loggers/InstrumentLines.h"

namespace svu {

/// The logger's command-line prompt; it carries no line end.
inline constexpr std::string_view kNdrPrompt = "> ";
/// A line of the main menu the escape key brings up.
inline constexpr std::string_view kNdrMainMenu = "* NDR - Main menu *";
/// The menu option that opens the command line.
inline constexpr std::string_view kNdrCommandLineOption = "10\r";
/// What starts every answer the logger refuses.
inline constexpr std::string_view kNdrError = "ERROR - ";
inline constexpr char kNdrEscape = 27;

/// Cuts the next reply from the front of `pending`: a prompt standing first is a reply of its own
/// (exactly "> "); otherwise a line ended by LF, given without its CR/LF. False while no whole
/// reply has arrived.
bool TakeNdrReply(std::string& pending, std::string& reply);

/// True for the reply that shows the main menu.
bool IsNdrMainMenu(std::string_view reply);
/// True for an answer that refuses the command.
bool IsNdrError(std::string_view reply);
/// True when `reply` is the echo of `command` (which may carry its carriage return).
bool IsNdrEcho(std::string_view reply, std::string_view command);

/// The checksum of a real-time line in checksum mode: the last two characters are the byte sum of
/// everything before the last three, modulo 256, in hexadecimal (either case).
bool NdrChecksumOk(std::string_view line);

/// A real-time line split into its value texts (blanks around them removed). In checksum mode the
/// checksum and its separator are not values, and a line whose checksum fails is Corrupt. A
/// bare prompt or an empty line is Ignored.
LineVerdict ParseNdrRealtimeLine(std::string_view line, bool checksumMode, std::vector<std::string>& values);

/// The byte count of a memory download from the rsdlsize() reply: its first two comma-separated
/// fields multiplied. False when they are not both whole numbers of sensible size (a reply that
/// is not a count is not taken for an empty logger).
bool ParseNdrDownloadSize(std::string_view reply, int64_t& bytes);

/// Largest memory image the program accepts (a bigger count is taken for a damaged reply).
inline constexpr int64_t kNdrMaxDownloadBytes = int64_t{1} << 32;

/// Percent of the transfer done, 0 to 100.
int NdrDownloadPercent(int64_t received, int64_t total);
/// Estimated seconds left after `received` of `total` bytes took `elapsedMs`; -1 while nothing
/// has arrived.
int64_t NdrSecondsLeft(int64_t elapsedMs, int64_t received, int64_t total);

}  // namespace svu
