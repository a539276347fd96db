#include "outputs/WebRequestParsing.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace svu {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

/// Reads exactly `count` digits at `pos`, advancing it.
bool Digits(std::string_view text, std::size_t& pos, int count, int& value) {
    if (pos + count > text.size()) {
        return false;
    }
    value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

/// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int MonthDays(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::optional<HttpEndpoint> ParseHttpEndpoint(std::string_view text, std::string* error) {
    const auto fail = [&](const char* why) -> std::optional<HttpEndpoint> {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    HttpEndpoint endpoint;
    std::string_view portText;
    if (AllDigits(text)) {
        portText = text;
    } else if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':') {
            return fail("an IPv6 address is written [ADDRESS]:PORT");
        }
        endpoint.address = std::string(text.substr(1, close - 1));
        portText = text.substr(close + 2);
    } else {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string_view::npos) {
            return fail("expected ADDRESS:PORT");
        }
        if (text.find(':') != colon) {
            return fail("an IPv6 address is written [ADDRESS]:PORT");
        }
        endpoint.address = std::string(text.substr(0, colon));
        portText = text.substr(colon + 1);
    }
    if (endpoint.address.empty()) {
        return fail("the address is empty");
    }
    for (const char c : endpoint.address) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '[' || c == ']') {
            return fail("the address holds a character that no address has");
        }
    }
    if (!AllDigits(portText) || portText.size() > 5) {
        return fail("the port must be a number from 0 to 65535");
    }
    endpoint.port = 0;
    std::from_chars(portText.data(), portText.data() + portText.size(), endpoint.port);
    if (endpoint.port > 65535) {
        return fail("the port must be a number from 0 to 65535");
    }
    return endpoint;
}

bool IsLoopbackAddress(std::string_view address) {
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    }
    if (address.size() > 64) {
        return false;
    }
    std::string lower;
    for (const char c : address) {
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (lower == "localhost") {
        return true;
    }
    in_addr v4{};
    if (inet_pton(AF_INET, lower.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, lower.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_LOOPBACK(&v6)) {
            return true;
        }
        return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
    }
    return false;
}

bool TokensMatch(std::string_view given, std::string_view expected) {
    if (expected.empty()) {
        return false;
    }
    // Every byte of the given token is compared (against the expected one cycled), so the time
    // taken says nothing of where the first difference lies, nor of the expected length.
    unsigned char diff = given.size() == expected.size() ? 0 : 1;
    for (std::size_t i = 0; i < given.size(); ++i) {
        diff |= static_cast<unsigned char>(given[i] ^ expected[i % expected.size()]);
    }
    return diff == 0;
}

std::optional<std::string_view> BearerToken(std::string_view header) {
    header = Trim(header);
    if (header.size() < 7) {
        return std::nullopt;
    }
    static constexpr std::string_view kScheme = "bearer ";
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        const char c = header[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kScheme[i]) {
            return std::nullopt;
        }
    }
    return Trim(header.substr(kScheme.size()));
}

std::string FormatIsoTime(TimeT time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        return "1970-01-01T00:00:00+00:00";
    }
    const long offset = tm.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

std::optional<TimeT> ParseIsoTime(std::string_view text) {
    text = Trim(text);
    if (AllDigits(text)) {
        if (text.size() > 12) {
            return std::nullopt;
        }
        TimeT seconds = 0;
        std::from_chars(text.data(), text.data() + text.size(), seconds);
        return seconds;
    }
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, pos, 4, year) || pos >= text.size() || text[pos++] != '-' || !Digits(text, pos, 2, month) ||
        pos >= text.size() || text[pos++] != '-' || !Digits(text, pos, 2, day)) {
        return std::nullopt;
    }
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > MonthDays(year, month)) {
        return std::nullopt;
    }
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == 't' || text[pos] == ' ')) {
        ++pos;
        if (!Digits(text, pos, 2, hour) || pos >= text.size() || text[pos++] != ':' || !Digits(text, pos, 2, minute)) {
            return std::nullopt;
        }
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            if (!Digits(text, pos, 2, second)) {
                return std::nullopt;
            }
        }
        if (hour > 23 || minute > 59 || second > 59) {
            return std::nullopt;
        }
    }
    if (pos == text.size()) {
        return FromLocal(year, month, day, hour, minute, second);
    }
    int offsetMinutes = 0;
    if (text[pos] == 'Z' || text[pos] == 'z') {
        ++pos;
    } else if (text[pos] == '+' || text[pos] == '-') {
        const int sign = text[pos++] == '-' ? -1 : 1;
        int oh = 0, om = 0;
        if (!Digits(text, pos, 2, oh)) {
            return std::nullopt;
        }
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
        }
        if (pos < text.size() && !Digits(text, pos, 2, om)) {
            return std::nullopt;
        }
        if (oh > 23 || om > 59) {
            return std::nullopt;
        }
        offsetMinutes = sign * (oh * 60 + om);
    } else {
        return std::nullopt;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
           static_cast<TimeT>(offsetMinutes) * 60;
}

std::optional<std::vector<std::string>> SplitCommaList(std::string_view text, std::size_t maxItems) {
    std::vector<std::string> parts;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view part = Trim(text.substr(0, comma));
        if (!part.empty()) {
            if (parts.size() == maxItems) {
                return std::nullopt;
            }
            parts.emplace_back(part);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    return parts;
}

std::optional<double> ParseChannelNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string ChannelUnit(std::string_view name) {
    name = Trim(name);
    if (name.size() < 2) {
        return {};
    }
    const char close = name.back();
    const char open = close == ')' ? '(' : close == ']' ? '[' : '\0';
    if (open == '\0') {
        return {};
    }
    const std::size_t start = name.rfind(open, name.size() - 2);
    if (start == std::string_view::npos) {
        return {};
    }
    return std::string(Trim(name.substr(start + 1, name.size() - start - 2)));
}

std::string FormatEventId(const EventId& id) {
    char text[48];
    std::snprintf(text, sizeof text, "%llx-%llu", static_cast<unsigned long long>(id.run),
                  static_cast<unsigned long long>(id.seq));
    return text;
}

std::optional<EventId> ParseEventId(std::string_view text) {
    text = Trim(text);
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 16 || text.size() - dash - 1 > 19) {
        return std::nullopt;
    }
    EventId id;
    const char* runEnd = text.data() + dash;
    const auto run = std::from_chars(text.data(), runEnd, id.run, 16);
    const std::string_view seqText = text.substr(dash + 1);
    if (run.ec != std::errc() || run.ptr != runEnd || !AllDigits(seqText)) {
        return std::nullopt;
    }
    const auto seq = std::from_chars(seqText.data(), seqText.data() + seqText.size(), id.seq);
    if (seq.ec != std::errc()) {
        return std::nullopt;
    }
    return id;
}

std::optional<std::string> DashboardRelativePath(std::string_view urlPath) {
    if (urlPath.empty() || urlPath.front() != '/' || urlPath.size() > 1024) {
        return std::nullopt;
    }
    urlPath.remove_prefix(1);
    if (urlPath.empty()) {
        return std::string("index.html");
    }
    std::string relative;
    while (true) {
        const std::size_t slash = urlPath.find('/');
        const std::string_view part = urlPath.substr(0, slash);
        if (part.empty() || part.front() == '.') {
            return std::nullopt;  // "//", ".", "..", hidden files, and a trailing slash
        }
        for (const char c : part) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\') {
                return std::nullopt;
            }
        }
        relative += part;
        if (slash == std::string_view::npos) {
            break;
        }
        relative += '/';
        urlPath.remove_prefix(slash + 1);
    }
    return relative;
}

const char* DashboardContentType(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    struct Type {
        std::string_view ext;
        const char* type;
    };
    static constexpr Type kTypes[] = {
        {"html", "text/html; charset=utf-8"},   {"htm", "text/html; charset=utf-8"},
        {"js", "text/javascript; charset=utf-8"}, {"mjs", "text/javascript; charset=utf-8"},
        {"css", "text/css; charset=utf-8"},     {"json", "application/json; charset=utf-8"},
        {"svg", "image/svg+xml"},               {"png", "image/png"},
        {"ico", "image/x-icon"},                {"txt", "text/plain; charset=utf-8"},
        {"woff2", "font/woff2"},                {"webmanifest", "application/manifest+json"},
    };
    for (const Type& t : kTypes) {
        if (t.ext == ext) {
            return t.type;
        }
    }
    return "application/octet-stream";
}

}  // namespace svu
