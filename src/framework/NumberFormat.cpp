#include "framework/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace svu {

namespace {

// Up to this precision a normal double lies within half a unit of its last printed digit of its
// shortest text, so rounding the shortest text is rounding the value (17 digits would not be).
constexpr int kShortestPrecision = 15;

// The C library's own answer, through std::to_chars with a precision (printf's "%.*g" in the C
// locale, exact for every value but several times slower than the shortest form).
std::size_t ExactG(char* buf, double value, int precision) {
    const auto result = std::to_chars(buf, buf + kNumberTextSize - 1, value, std::chars_format::general, precision);
    const std::size_t n = static_cast<std::size_t>(result.ptr - buf);
    for (std::size_t i = 0; i < n; ++i) {
        if (buf[i] == 'e') {
            buf[i] = 'E';
        }
    }
    buf[n] = '\0';
    return n;
}

void AppendExponent(char*& out, int exponent) {
    *out++ = 'E';
    *out++ = exponent < 0 ? '-' : '+';
    unsigned e = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
    if (e >= 100) {
        *out++ = static_cast<char>('0' + e / 100);
        e %= 100;
    }
    *out++ = static_cast<char>('0' + e / 10);
    *out++ = static_cast<char>('0' + e % 10);
}

}  // namespace

std::size_t FormatGTo(char* buf, double value, int precision) {
    if (precision < 1) {
        precision = 1;  // printf takes a precision of 0 for "%g" as 1
    } else if (precision > 17) {
        precision = 17;  // the longest that kNumberTextSize holds
    }
    if (precision > kShortestPrecision || (value != 0.0 && std::fabs(value) < std::numeric_limits<double>::min())) {
        return ExactG(buf, value, precision);  // long precisions and subnormal values
    }
    // The shortest text that reads back as the value, rounded to the precision, is printf's text
    // except when the shortest digits end exactly half way ("...5" one place past the precision):
    // the value itself may then lie on either side of the half, and only the exact path knows.
    char shortest[kNumberTextSize];
    const auto result = std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific);
    const char* p = shortest;
    const char* end = result.ptr;
    const bool negative = *p == '-';
    if (negative) {
        ++p;
    }
    char digits[kNumberTextSize];
    int count = 0;
    for (; p < end && *p != 'e'; ++p) {
        if (*p != '.') {
            digits[count++] = *p;
        }
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    if (count > precision) {
        if (count == precision + 1 && digits[precision] == '5') {
            return ExactG(buf, value, precision);
        }
        const bool up = digits[precision] >= '5';
        count = precision;
        if (up) {
            int i = count - 1;
            while (i >= 0 && digits[i] == '9') {
                digits[i--] = '0';
            }
            if (i >= 0) {
                ++digits[i];
            } else {
                digits[0] = '1';  // 9.9999|9 becomes 1.0000 of the next power of ten
                ++exponent;
            }
        }
    }
    while (count > 1 && digits[count - 1] == '0') {
        --count;
    }
    char* out = buf;
    if (negative) {
        *out++ = '-';
    }
    if (exponent < -4 || exponent >= precision) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            std::memcpy(out, digits + 1, static_cast<std::size_t>(count - 1));
            out += count - 1;
        }
        AppendExponent(out, exponent);
    } else if (exponent >= 0) {
        const int whole = exponent + 1;
        for (int i = 0; i < whole; ++i) {
            *out++ = i < count ? digits[i] : '0';
        }
        if (count > whole) {
            *out++ = '.';
            std::memcpy(out, digits + whole, static_cast<std::size_t>(count - whole));
            out += count - whole;
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > exponent; --i) {
            *out++ = '0';
        }
        std::memcpy(out, digits, static_cast<std::size_t>(count));
        out += count;
    }
    *out = '\0';
    return static_cast<std::size_t>(out - buf);
}

std::string FormatG5(double value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-NAN" : "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    char buf[kNumberTextSize];
    return std::string(buf, FormatG5To(buf, value));
}

}  // namespace svu
