#include "derived/ValueParse.h"

#include <charconv>

#include "framework/TextUtil.h"

namespace svu {

double ParseValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Only a digit or a point may start a number here: "inf", "nan" and hexadecimal are not numbers.
    if (i >= text.size() || !((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) {
        return 0.0;
    }
    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::general);
    if (ec == std::errc::invalid_argument) {
        return 0.0;  // a lone point
    }
    if (ec != std::errc()) {
        return AtoF(text);  // out of range: the C library decides between infinity, zero and denormals
    }
    return negative ? -value : value;
}

}  // namespace svu
