#include "framework/TextUtil.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace svu {

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of `text` (after white space) that reads as a decimal number,
// or 0 when there is none. Only the classic decimal form counts, as the Windows runtime read it.
std::size_t DecimalPrefixLength(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

template <typename T>
T ParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so that the minimum value needs no special case.
    constexpr T kMin = std::numeric_limits<T>::min();
    constexpr T kMax = std::numeric_limits<T>::max();
    T value = 0;
    bool overflow = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const T digit = static_cast<T>(text[i] - '0');
        if (overflow) {
            continue;
        }
        if (value < (kMin + digit) / 10) {
            overflow = true;
            continue;
        }
        value = static_cast<T>(value * 10 - digit);
    }
    if (overflow) {
        return negative ? kMin : kMax;
    }
    if (negative) {
        return value;
    }
    return value == kMin ? kMax : static_cast<T>(-value);
}

// The usual channel text ("12.3", "-0.25", "1013.2", "1E-05") converted in one correctly rounded
// operation: at most 15 significant digits make an exact integer and ten to a power of at most 22
// is exact, so their product or quotient is the correctly rounded value, as from_chars gives.
// `p` is at a digit or a point; false (nothing decided) for anything longer or larger.
bool ParseShortDecimal(const char* p, const char* end, double& value) {
    uint64_t mantissa = 0;
    int significant = 0;
    int scale = 0;
    bool anyDigit = false;
    for (; p < end && IsDigit(*p); ++p) {
        anyDigit = true;
        if (mantissa != 0 || *p != '0') {
            if (++significant > 15) {
                return false;
            }
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
        }
    }
    if (p < end && *p == '.') {
        for (++p; p < end && IsDigit(*p); ++p) {
            anyDigit = true;
            if (mantissa != 0 || *p != '0') {
                if (++significant > 15) {
                    return false;
                }
                mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
            }
            --scale;
        }
    }
    if (!anyDigit) {
        value = 0.0;  // a lone point
        return true;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool negative = false;
        if (q < end && (*q == '+' || *q == '-')) {
            negative = *q == '-';
            ++q;
        }
        if (q < end && IsDigit(*q)) {  // otherwise the "e" is not part of the number
            int exponent = 0;
            for (; q < end && IsDigit(*q); ++q) {
                if (exponent > 1000) {
                    return false;
                }
                exponent = exponent * 10 + (*q - '0');
            }
            scale += negative ? -exponent : exponent;
        }
    }
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const auto m = static_cast<double>(mantissa);
    if (mantissa == 0) {
        value = 0.0;
    } else if (scale >= 0 && scale <= 22) {
        value = m * kPowers[scale];
    } else if (scale < 0 && scale >= -22) {
        value = m / kPowers[-scale];
    } else {
        return false;
    }
    return true;
}

}  // namespace

double AtoF(std::string_view text) {
    // Channel values are converted after every reading, so the common case (a plain decimal number)
    // goes through from_chars, which never looks at the locale; out-of-range texts fall back to the
    // C library, which decides between infinity, zero and denormals.
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Only a digit or a point may start a number: "inf", "nan" and hexadecimal are not numbers here.
    if (i >= text.size() || !(IsDigit(text[i]) || text[i] == '.')) {
        return 0.0;
    }
    double value = 0.0;
    if (ParseShortDecimal(text.data() + i, text.data() + text.size(), value)) {
        return negative ? -value : value;
    }
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                           std::chars_format::general);
    if (ec == std::errc::invalid_argument) {
        return 0.0;  // a lone point
    }
    if (ec != std::errc()) {
        const std::size_t length = DecimalPrefixLength(text);
        const std::string prefix(text.substr(0, length));
        return strtod_l(prefix.c_str(), nullptr, CLocale());
    }
    return negative ? -value : value;
}

int AtoI(std::string_view text) {
    return ParseInteger<int>(text);
}

long AtoL(std::string_view text) {
    return ParseInteger<long>(text);
}

std::string VFormatC(const char* format, va_list args) {
    ScopedCLocale cLocale;
    char buffer[256];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(buffer, sizeof buffer, format, copy);
    va_end(copy);
    if (needed < 0) {
        return {};
    }
    if (static_cast<std::size_t>(needed) < sizeof buffer) {
        return std::string(buffer, static_cast<std::size_t>(needed));
    }
    std::string result(static_cast<std::size_t>(needed) + 1, '\0');
    std::vsnprintf(result.data(), result.size(), format, args);
    result.resize(static_cast<std::size_t>(needed));
    return result;
}

std::string FormatC(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string result = VFormatC(format, args);
    va_end(args);
    return result;
}

void StripControlChars(std::string& text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\x03'; });
}

void TrimTrailingZeros(std::string& text) {
    const std::size_t point = text.find('.');
    if (point == std::string::npos) {
        return;
    }
    // In exponent form only the mantissa is trimmed: cutting the exponent's zeros would change
    // the value ("1.50E+10" must not become "1.5E+1").
    const std::size_t exponent = text.find_first_of("eE", point);
    const std::size_t mantissaEnd = exponent == std::string::npos ? text.size() : exponent;
    std::size_t end = mantissaEnd;
    while (end > point + 2 && text[end - 1] == '0') {
        --end;
    }
    text.erase(end, mantissaEnd - end);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ToLowerAscii(x) == ToLowerAscii(y); });
}

std::string_view TrimLeft(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

std::string_view TrimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

std::string_view Trim(std::string_view text) {
    return TrimRight(TrimLeft(text));
}

}  // namespace svu
