#include "framework/NumberFormat.h"

#include <charconv>
#include <cmath>

#include "framework/TextUtil.h"

namespace svu {

std::size_t FormatG5To(char* buf, double value) {
    // std::to_chars with a precision is printf's "%.*g" in the C locale, without touching the
    // process locale; only the exponent letter needs raising.
    const auto result = std::to_chars(buf, buf + kNumberTextSize - 1, value, std::chars_format::general, 5);
    const std::size_t n = static_cast<std::size_t>(result.ptr - buf);
    for (std::size_t i = 0; i < n; ++i) {
        if (buf[i] >= 'a' && buf[i] <= 'z') {
            buf[i] = static_cast<char>(buf[i] - 'a' + 'A');
        }
    }
    buf[n] = '\0';
    return n;
}

std::string FormatG5(double value) {
    if (!std::isfinite(value)) {
        return FormatC("%.5G", value);
    }
    char buf[kNumberTextSize];
    return std::string(buf, FormatG5To(buf, value));
}

}  // namespace svu
