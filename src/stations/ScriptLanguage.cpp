#include "stations/ScriptLanguage.h"

#include <algorithm>
#include <cstdint>

#include "framework/TextUtil.h"

namespace svu::script {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool MatchesAt(std::string_view buffer, std::size_t at, std::string_view pattern) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '?' && pattern[i] != buffer[at + i]) {
            return false;
        }
    }
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string DecodeEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i == text.size()) {
            break;
        }
        switch (const char c = text[i]) {
            case 'e':
                out.push_back('\x1b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'x':
                if (i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
                    out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
                    i += 2;
                } else {
                    out.push_back('x');
                }
                break;
            default:
                out.push_back(c);
                break;
        }
    }
    return out;
}

bool ContainsPattern(std::string_view buffer, std::string_view pattern) {
    if (pattern.size() > buffer.size()) {
        return false;
    }
    for (std::size_t at = 0; at + pattern.size() <= buffer.size(); ++at) {
        if (MatchesAt(buffer, at, pattern)) {
            return true;
        }
    }
    return false;
}

bool EndsWithPattern(std::string_view buffer, std::string_view pattern) {
    return pattern.size() <= buffer.size() && MatchesAt(buffer, buffer.size() - pattern.size(), pattern);
}

void TrimBuffer(std::string& buffer, long a, long b, long c) {
    const auto count = [](long n) { return static_cast<std::size_t>(std::max(n, 0L)); };
    if (buffer.size() >= count(a)) {
        buffer.erase(0, count(a));
    }
    if (buffer.size() >= count(c)) {
        buffer.resize(buffer.size() - count(c));
    }
    if (b > 0 && buffer.size() >= count(b)) {
        if (a > 0) {
            buffer.resize(count(b));
        } else {
            buffer.erase(0, buffer.size() - count(b));
        }
    }
}

int ReadReceivedChecksum(std::string_view buffer) {
    if (buffer.size() < 2) {
        return -1;
    }
    const int high = HexDigit(buffer[buffer.size() - 2]);
    const int low = HexDigit(buffer[buffer.size() - 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

int ByteSum(std::string_view buffer) {
    unsigned sum = 0;
    for (const char c : buffer) {
        sum += static_cast<unsigned char>(c);
    }
    return static_cast<int>(sum % 256);
}

std::string FormatMaskNumber(std::string_view text) {
    std::string value = FormatC("%10.5f", AtoF(text));
    value.erase(0, value.find_first_not_of(' '));
    TrimTrailingZeros(value);
    return value;
}

std::string ApplyMask(std::string_view received, std::string_view mask) {
    std::string result;
    std::size_t at = 0;
    const auto left = [&] { return received.size() - at; };
    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(received[at + i]); };
    const auto text = [&](std::size_t length) {
        if (length > 0) {
            result += FormatMaskNumber(received.substr(at, length));
            result += ',';
        }
    };
    for (std::size_t m = 0; m < mask.size(); ++m) {
        const char item = mask[m];
        if (IsDigit(item)) {
            std::size_t n = 0;
            while (m < mask.size() && IsDigit(mask[m])) {
                n = std::min<std::size_t>(n * 10 + static_cast<std::size_t>(mask[m] - '0'), received.size() + 1);
                ++m;
            }
            // The character after the number (m now points at it) goes with the number; the loop's
            // own step passes over it.
            const std::size_t take = std::min(n, left());
            text(take);
            at += take;
            continue;
        }
        switch (item) {
            case 'x':
            case 'X': {
                if (m + 1 >= mask.size()) {
                    const std::size_t take = left();
                    text(take);
                    at += take;
                    break;
                }
                const char delimiter = mask[++m];
                const std::size_t end = received.find(delimiter, at);
                const std::size_t take = end == std::string_view::npos ? left() : end - at;
                text(take);
                at += take + (end == std::string_view::npos ? 0 : 1);
                break;
            }
            case 'B':
            case 'b':
                if (left() >= 1) {
                    result += FormatC("%u,", static_cast<unsigned>(byte(0)));
                    at += 1;
                }
                break;
            case 'C':
            case 'c':
                if (left() >= 1) {
                    result += FormatC("%d,", static_cast<int>(static_cast<int8_t>(byte(0))));
                    at += 1;
                }
                break;
            case 'I':
            case 'W':
            case 'i':
            case 'w':
                if (left() >= 2) {
                    const bool highFirst = item == 'I' || item == 'W';
                    const auto word =
                        static_cast<uint16_t>(highFirst ? byte(0) << 8 | byte(1) : byte(1) << 8 | byte(0));
                    result += item == 'I' || item == 'i' ? FormatC("%d,", static_cast<int>(static_cast<int16_t>(word)))
                                                         : FormatC("%u,", static_cast<unsigned>(word));
                    at += 2;
                }
                break;
            default:
                break;
        }
    }
    return result;
}

std::string ResultField(std::string_view result, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t comma = result.find(',', start);
        if (comma == std::string_view::npos) {
            return std::string();
        }
        start = comma + 1;
    }
    if (start >= result.size()) {
        return std::string();
    }
    const std::size_t comma = result.find(',', start);
    return std::string(result.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
}

}  // namespace svu::script
