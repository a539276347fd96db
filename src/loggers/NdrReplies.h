#pragma once

// The texts of the data logger's command line: how its settings are written into commands and how
// its replies are read back. Pure functions, C-locale rules throughout, no I/O.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace svu::ndr {

/// Number of channels the logger has (and of flags in an alarm's channel list).
constexpr int kChannels = 64;
/// Number of alarms the logger has.
constexpr int kAlarms = 16;

using ChannelFlags = std::array<uint32_t, kChannels>;

/// The logger's replies without the line ends and blanks around them.
std::string_view Trim(std::string_view text);

/// "enable" for a stored value above 0, else "disable".
const char* BoolWord(int64_t value);
/// "enabled" -> true, "disabled" -> false, anything else nothing.
std::optional<bool> ParseBool(std::string_view reply);

/// The index of the word that the reply is (exactly, after trimming); nothing when none is.
std::optional<int> MatchWord(std::string_view reply, std::span<const char* const> words);
/// The word at `index`, or nullptr when the index is outside the vocabulary.
const char* WordAt(std::span<const char* const> words, int64_t index);

/// "%02ih%02im%02is" of a period in seconds (negative periods as 0).
std::string RateText(int64_t seconds);
/// A rate reply: two digits each at positions 0-1, 3-4 and 6-7 (hours, minutes, seconds).
std::optional<int32_t> ParseRate(std::string_view reply);

/// A whole integer reply (sign allowed, nothing else); nothing on any other text or overflow.
std::optional<int64_t> ParseInteger(std::string_view reply);
/// A whole decimal number reply in the C locale; nothing on any other text or on inf/nan.
std::optional<double> ParseNumber(std::string_view reply);
/// "%g" of a number in the C locale.
std::string NumberText(double value);

/// Two numbers separated by a comma.
bool ParseNumberPair(std::string_view reply, double& first, double& second);
bool ParseIntegerPair(std::string_view reply, int64_t& first, int64_t& second);

/// The numbers of the flagged channels, 1-based, ascending, comma-separated.
std::string ChannelListText(const ChannelFlags& flags);
/// A channel list reply: every flag cleared, then those of the listed numbers set. An empty reply
/// is the empty list; a number outside 1..64 or any other text gives nothing.
std::optional<ChannelFlags> ParseChannelList(std::string_view reply);

/// Replaces line ends in a text to be sent: a carriage return inside a command would end it early
/// and run the rest as a second command.
std::string CommandSafe(std::string_view text);

}  // namespace svu::ndr
