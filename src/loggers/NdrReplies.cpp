#include "loggers/NdrReplies.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "framework/TextFormat.h"

namespace svu::ndr {

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

const char* BoolWord(int64_t value) { return value > 0 ? "enable" : "disable"; }

std::optional<bool> ParseBool(std::string_view reply) {
    reply = Trim(reply);
    if (reply == "enabled") {
        return true;
    }
    if (reply == "disabled") {
        return false;
    }
    return std::nullopt;
}

std::optional<int> MatchWord(std::string_view reply, std::span<const char* const> words) {
    reply = Trim(reply);
    for (size_t i = 0; i < words.size(); ++i) {
        if (reply == words[i]) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

const char* WordAt(std::span<const char* const> words, int64_t index) {
    if (index < 0 || index >= static_cast<int64_t>(words.size())) {
        return nullptr;
    }
    return words[static_cast<size_t>(index)];
}

std::string RateText(int64_t seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    return Format("%02ih%02im%02is", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

namespace {

bool TwoDigits(std::string_view text, size_t at, int& out) {
    if (text.size() < at + 2) {
        return false;
    }
    const char a = text[at];
    const char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') {
        return false;
    }
    out = (a - '0') * 10 + (b - '0');
    return true;
}

}  // namespace

std::optional<int32_t> ParseRate(std::string_view reply) {
    reply = Trim(reply);
    int h = 0;
    int m = 0;
    int s = 0;
    if (!TwoDigits(reply, 0, h) || !TwoDigits(reply, 3, m) || !TwoDigits(reply, 6, s)) {
        return std::nullopt;
    }
    return h * 3600 + m * 60 + s;
}

std::optional<int64_t> ParseInteger(std::string_view reply) {
    reply = Trim(reply);
    if (!reply.empty() && reply.front() == '+') {
        reply.remove_prefix(1);
    }
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(reply.data(), reply.data() + reply.size(), value);
    if (reply.empty() || ec != std::errc() || end != reply.data() + reply.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseNumber(std::string_view reply) {
    reply = Trim(reply);
    if (!reply.empty() && reply.front() == '+') {
        reply.remove_prefix(1);
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(reply.data(), reply.data() + reply.size(), value);
    if (reply.empty() || ec != std::errc() || end != reply.data() + reply.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string NumberText(double value) { return Format("%g", value); }

namespace {

bool SplitPair(std::string_view reply, std::string_view& a, std::string_view& b) {
    const size_t comma = reply.find(',');
    if (comma == std::string_view::npos) {
        return false;
    }
    a = reply.substr(0, comma);
    b = reply.substr(comma + 1);
    return true;
}

}  // namespace

bool ParseNumberPair(std::string_view reply, double& first, double& second) {
    std::string_view a;
    std::string_view b;
    if (!SplitPair(reply, a, b)) {
        return false;
    }
    const auto x = ParseNumber(a);
    const auto y = ParseNumber(b);
    if (!x || !y) {
        return false;
    }
    first = *x;
    second = *y;
    return true;
}

bool ParseIntegerPair(std::string_view reply, int64_t& first, int64_t& second) {
    std::string_view a;
    std::string_view b;
    if (!SplitPair(reply, a, b)) {
        return false;
    }
    const auto x = ParseInteger(a);
    const auto y = ParseInteger(b);
    if (!x || !y) {
        return false;
    }
    first = *x;
    second = *y;
    return true;
}

std::string ChannelListText(const ChannelFlags& flags) {
    std::string text;
    for (int c = 0; c < kChannels; ++c) {
        if (flags[static_cast<size_t>(c)] != 0) {
            if (!text.empty()) {
                text += ',';
            }
            text += std::to_string(c + 1);
        }
    }
    return text;
}

std::optional<ChannelFlags> ParseChannelList(std::string_view reply) {
    ChannelFlags flags{};
    reply = Trim(reply);
    if (reply.empty()) {
        return flags;
    }
    while (true) {
        const size_t comma = reply.find(',');
        const auto number = ParseInteger(reply.substr(0, comma));
        if (!number || *number < 1 || *number > kChannels) {
            return std::nullopt;
        }
        flags[static_cast<size_t>(*number - 1)] = 1;
        if (comma == std::string_view::npos) {
            return flags;
        }
        reply.remove_prefix(comma + 1);
    }
}

std::string CommandSafe(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        if (ch == '\r' || ch == '\n') {
            ch = ' ';
        }
    }
    return out;
}

}  // namespace svu::ndr
