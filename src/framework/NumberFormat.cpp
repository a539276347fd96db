#include "framework/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

// The decimal digits of |value| rounded to `precision` significant digits, most significant first,
// and the decimal exponent of the first: what printf's "%e" conversion inside "%g" computes.
struct Rounded {
    char digits[kNumberTextSize];
    int count = 0;
    int exponent = 0;
};

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case in one multiplication: |value| scaled by an exact power of ten so that `precision`
// digits stand before the point, then rounded to an integer. The product is correctly rounded, so
// it is within a hair of the exact product; unless that hair could cross a half (a tie, or all but
// one), the integer is the rounding of the exact value. False when the value is out of reach.
bool RoundByScaling(double magnitude, int precision, Rounded& out) {
    if (precision > 9 || !(magnitude >= 1e-15 && magnitude < 1e15)) {
        return false;
    }
    // The binary exponent gives the decimal one, or one less (78913 / 2^18 is just under log10 2).
    uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int e2 = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    int exponent = (e2 * 78913) >> 18;
    const double top = kExactPowers[precision];
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int k = precision - 1 - exponent;
        if (k > 22 || k < -22) {
            return false;
        }
        const double m = k >= 0 ? magnitude * kExactPowers[k] : magnitude / kExactPowers[-k];
        const auto whole = static_cast<uint64_t>(m);  // m is positive and below 2^63
        const double fraction = m - static_cast<double>(whole);
        if (std::fabs(fraction - 0.5) < 1e-6) {
            return false;  // too near a half to tell which way the exact value rounds
        }
        const uint64_t r = fraction > 0.5 ? whole + 1 : whole;
        if (static_cast<double>(r) >= top) {
            ++exponent;  // ten digits or more: one place further (99999.7 is 1.0000E+05)
            continue;
        }
        if (static_cast<double>(r) < top / 10) {
            --exponent;
            continue;
        }
        uint64_t n = r;
        for (int i = precision - 1; i >= 0; --i) {
            out.digits[i] = static_cast<char>('0' + n % 10);
            n /= 10;
        }
        out.count = precision;
        out.exponent = exponent;
        return true;
    }
    return false;
}

// The shortest text that reads back as the value, rounded to the precision, is printf's text
// except when the shortest digits end exactly half way ("...5" one place past the precision): the
// value itself may then lie on either side of the half. False in that case.
bool RoundShortest(double magnitude, int precision, Rounded& out) {
    char shortest[kNumberTextSize];
    const auto result = std::to_chars(shortest, shortest + sizeof shortest, magnitude, std::chars_format::scientific);
    const char* p = shortest;
    const char* end = result.ptr;
    int count = 0;
    for (; p < end && *p != 'e'; ++p) {
        if (*p != '.') {
            out.digits[count++] = *p;
        }
    }
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, out.exponent);
    if (count > precision) {
        if (count == precision + 1 && out.digits[precision] == '5') {
            return false;
        }
        const bool up = out.digits[precision] >= '5';
        count = precision;
        if (up) {
            int i = count - 1;
            while (i >= 0 && out.digits[i] == '9') {
                out.digits[i--] = '0';
            }
            if (i >= 0) {
                ++out.digits[i];
            } else {
                out.digits[0] = '1';  // 9.9999|9 becomes 1.0000 of the next power of ten
                ++out.exponent;
            }
        }
    }
    out.count = count;
    return true;
}

}  // namespace

std::size_t FormatGTo(char* buf, double value, int precision) {
    if (precision < 1) {
        precision = 1;  // printf takes a precision of 0 for "%g" as 1
    } else if (precision > 17) {
        precision = 17;  // the longest that kNumberTextSize holds
    }
    // Long precisions and subnormal values: rounding the shortest digits would not be exact.
    const double magnitude = std::fabs(value);
    if (precision > kShortestPrecision || (value != 0.0 && magnitude < std::numeric_limits<double>::min())) {
        return ExactG(buf, value, precision);
    }
    Rounded rounded;
    if (!RoundByScaling(magnitude, precision, rounded) && !RoundShortest(magnitude, precision, rounded)) {
        return ExactG(buf, value, precision);
    }
    const char* digits = rounded.digits;
    int count = rounded.count;
    const int exponent = rounded.exponent;
    while (count > 1 && digits[count - 1] == '0') {
        --count;
    }
    char* out = buf;
    if (std::signbit(value)) {
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
