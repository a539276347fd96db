#include "loggers/NdrProtocol.h"

#include <cctype>
#include <cmath>

#include "framework/TextUtil.h"

namespace svu {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// A whole decimal number with optional blanks around it and an optional sign.
bool WholeNumber(std::string_view text, int64_t& value) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 12) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (negative) {
        value = -value;
    }
    return true;
}

}  // namespace

bool TakeNdrReply(std::string& pending, std::string& reply) {
    // Stray line ends before a reply belong to the previous one.
    std::size_t start = 0;
    while (start < pending.size() && (pending[start] == '\r' || pending[start] == '\n' || pending[start] == '\0')) {
        ++start;
    }
    if (start > 0) {
        pending.erase(0, start);
    }
    if (pending.starts_with(kNdrPrompt)) {
        reply.assign(kNdrPrompt);
        pending.erase(0, kNdrPrompt.size());
        return true;
    }
    const std::size_t end = pending.find('\n');
    if (end == std::string::npos) {
        return false;
    }
    reply.assign(pending, 0, end);
    while (!reply.empty() && reply.back() == '\r') {
        reply.pop_back();
    }
    pending.erase(0, end + 1);
    return true;
}

bool IsNdrMainMenu(std::string_view reply) {
    return reply.find(kNdrMainMenu) != std::string_view::npos;
}

bool IsNdrError(std::string_view reply) {
    return reply.find(kNdrError) != std::string_view::npos;
}

bool IsNdrEcho(std::string_view reply, std::string_view command) {
    while (!command.empty() && (command.back() == '\r' || command.back() == '\n')) {
        command.remove_suffix(1);
    }
    // A prompt still waiting when the command went out stands in front of its echo.
    if (reply.starts_with(kNdrPrompt)) {
        reply.remove_prefix(kNdrPrompt.size());
    }
    return TrimRight(reply) == command;
}

bool NdrChecksumOk(std::string_view line) {
    if (line.size() < 3) {
        return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i + 3 < line.size(); ++i) {
        sum += static_cast<unsigned char>(line[i]);
    }
    const int high = HexDigit(line[line.size() - 2]);
    const int low = HexDigit(line[line.size() - 1]);
    return high >= 0 && low >= 0 && static_cast<unsigned>(high * 16 + low) == sum % 256;
}

LineVerdict ParseNdrRealtimeLine(std::string_view line, bool checksumMode, std::vector<std::string>& values) {
    values.clear();
    line = Trim(line);
    if (line.empty() || line == Trim(kNdrPrompt)) {
        return LineVerdict::Ignored;
    }
    if (checksumMode) {
        if (!NdrChecksumOk(line)) {
            return LineVerdict::Corrupt;
        }
        line.remove_suffix(3);
    }
    for (std::string_view field : SplitFields(line)) {
        values.emplace_back(Trim(field));
    }
    return LineVerdict::Ok;
}

bool ParseNdrDownloadSize(std::string_view reply, int64_t& bytes) {
    bytes = 0;
    const std::size_t first = reply.find(',');
    if (first == std::string_view::npos) {
        return false;
    }
    std::string_view rest = reply.substr(first + 1);
    rest = rest.substr(0, rest.find(','));
    int64_t a = 0;
    int64_t b = 0;
    if (!WholeNumber(reply.substr(0, first), a) || !WholeNumber(rest, b) || a < 0 || b < 0) {
        return false;
    }
    if (a != 0 && b > kNdrMaxDownloadBytes / a) {
        return false;
    }
    bytes = a * b;
    return true;
}

int NdrDownloadPercent(int64_t received, int64_t total) {
    if (total <= 0 || received >= total) {
        return 100;
    }
    return received <= 0 ? 0 : static_cast<int>(received * 100 / total);
}

int64_t NdrSecondsLeft(int64_t elapsedMs, int64_t received, int64_t total) {
    if (received <= 0) {
        return -1;
    }
    if (received >= total) {
        return 0;
    }
    const double perByteMs = static_cast<double>(elapsedMs) / static_cast<double>(received);
    return static_cast<int64_t>(std::llround(perByteMs * static_cast<double>(total - received) / 1000.0));
}

}  // namespace svu
