#pragma once

// The pieces of a web request that the server reads itself (the HTTP library splits the request
// and decodes its path and query): listening addresses, the access token, times, channel lists,
// event ids, and dashboard file paths. Each works on text of any size and content, and none
// depends on the locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

struct HttpEndpoint {
    std::string address = "127.0.0.1";
    int port = 8080;
};

/// "ADDRESS:PORT", "PORT" alone (127.0.0.1) or "[IPV6]:PORT"; nullopt (with `error`) otherwise.
std::optional<HttpEndpoint> ParseHttpEndpoint(std::string_view text, std::string* error = nullptr);

/// True for "localhost", 127.0.0.0/8 and ::1 (with or without brackets).
bool IsLoopbackAddress(std::string_view address);

/// Compares a given token with the expected one in a time that does not depend on where they
/// differ. An empty expected token matches nothing.
bool TokensMatch(std::string_view given, std::string_view expected);

/// The token of an "Authorization: Bearer TOKEN" header; nullopt for any other form.
std::optional<std::string_view> BearerToken(std::string_view header);

/// ISO 8601 with the local offset of that moment: "2026-12-07T00:45:12+00:00".
std::string FormatIsoTime(TimeT time);

/// "2026-12-06", "2026-12-06T10:00", "2026-12-06T10:00:30" (a space may stand for the T) as local
/// time, the same followed by "Z" or an offset "+01:00" / "-0130", or seconds since 1970.
std::optional<TimeT> ParseIsoTime(std::string_view text);

/// The parts of a comma-separated list, blanks trimmed, empty parts left out; nullopt when it has
/// more than `maxItems` parts.
std::optional<std::vector<std::string>> SplitCommaList(std::string_view text, std::size_t maxItems);

/// A whole text read as a finite number with C-locale rules (blanks around it allowed); nullopt
/// for an empty text, a partial number, infinity or NaN.
std::optional<double> ParseChannelNumber(std::string_view text);

/// The text of the last brackets at the end of a channel name ("Temperature (C)" gives "C").
std::string ChannelUnit(std::string_view name);

/// An event id "RUN-SEQ", RUN in hexadecimal and SEQ in decimal.
struct EventId {
    uint64_t run = 0;
    uint64_t seq = 0;
};
std::string FormatEventId(const EventId& id);
std::optional<EventId> ParseEventId(std::string_view text);

/// The decoded URL path of a dashboard file made relative to its folder ("/" gives "index.html");
/// nullopt when a part is empty, "." or "..", begins with a dot, or holds a backslash or a control
/// character, so that nothing outside the folder or hidden in it can be named.
std::optional<std::string> DashboardRelativePath(std::string_view urlPath);

/// The content type of a dashboard file by its extension.
const char* DashboardContentType(std::string_view path);

}  // namespace svu
