#pragma once

// The line protocol of the live-value server: what other programs send and what they are told.
// One line is fields separated by TAB and ended by LF (a CR before the LF is ignored). A field
// carries a backslash, TAB, LF or CR as "\\", "\t", "\n" and "\r", so names and values may hold
// anything. docs/live-values.md describes the protocol for the people who write clients.
//
//   client:  REQUEST topic item | ADVISE topic item | UNADVISE topic item | PING | QUIT
//   server:  HELLO Stratavue 1 | DATA topic item value | NODATA topic item | ADVISING topic item
//            | REFUSED topic item | UNADVISED topic item | NOTADVISING topic item
//            | NOTICE topic item value | PONG | BYE | ERROR text

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace svu {

/// The protocol's version, sent in the greeting.
inline constexpr int kLiveProtocolVersion = 1;
/// Longest line a client may send, line end included, in bytes.
inline constexpr std::size_t kMaxLiveLineBytes = 4096;

/// Reply and notice words.
namespace live {
inline constexpr std::string_view kHello = "HELLO";
inline constexpr std::string_view kData = "DATA";
inline constexpr std::string_view kNoData = "NODATA";
inline constexpr std::string_view kAdvising = "ADVISING";
inline constexpr std::string_view kRefused = "REFUSED";
inline constexpr std::string_view kUnadvised = "UNADVISED";
inline constexpr std::string_view kNotAdvising = "NOTADVISING";
inline constexpr std::string_view kNotice = "NOTICE";
inline constexpr std::string_view kPong = "PONG";
inline constexpr std::string_view kBye = "BYE";
inline constexpr std::string_view kError = "ERROR";
}  // namespace live

/// What a client asks.
enum class LiveVerb { Request, Advise, Unadvise, Ping, Quit };

struct LiveCommand {
    LiveVerb verb = LiveVerb::Ping;
    std::string topic;
    std::string item;
};

/// Appends `field` to `out` with backslash, TAB, LF and CR escaped.
void AppendLiveField(std::string& out, std::string_view field);

/// One whole line: the fields escaped, joined by TAB, ended by LF.
std::string FormatLiveLine(std::initializer_list<std::string_view> fields);

/// Splits a line (without its LF; a trailing CR is dropped) into unescaped fields. False when a
/// backslash is followed by anything but "\\", "t", "n" or "r", or ends the line.
bool SplitLiveLine(std::string_view line, std::vector<std::string>& fields);

/// Parses one client line. The verb is matched without regard to case. False with `error` (the
/// text of the ERROR reply) for an empty or malformed line, an unknown verb or the wrong number of
/// fields.
bool ParseLiveCommand(std::string_view line, LiveCommand& command, std::string& error);

/// The items a topic offers.
enum class LiveItemKind {
    Realtime,       // "Information": "Yes" while acquisition runs, else "No"
    StationCount,   // "Information": "WeatherStations"
    StationName,    // "Information": "WeatherStation<n>"
    ChannelCount,   // a station: "Channels"
    ChannelValue,   // a station: "Channel<n>"
    ChannelName,    // a station: "Name<n>"
};

struct LiveItem {
    LiveItemKind kind = LiveItemKind::Realtime;
    int number = 0;  // n for the numbered items, else 0

    bool operator==(const LiveItem&) const = default;
};

/// Reads an item name of the "Information" topic (`information`) or of a station's topic, without
/// regard to case. The number after a prefix must be plain decimal digits (no sign, no spaces)
/// with a value from 1 up; anything else names no item.
std::optional<LiveItem> ParseLiveItem(bool information, std::string_view item);

/// The item's name as notices carry it ("Realtime", "WeatherStation3", "Channel12", ...).
std::string LiveItemName(const LiveItem& item);

/// The name of the topic of program-wide items ("Information").
std::string LiveInformationTopic();

}  // namespace svu
