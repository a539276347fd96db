#include "sim/DirectLine.h"

#include "framework/TextUtil.h"

namespace svu::sim {

namespace {

constexpr int kFieldWidth = 7;

// Right-aligns (or cuts) text to exactly `width` characters.
std::string Fixed(std::string_view text, std::size_t width) {
    if (text.size() >= width) {
        return std::string(text.substr(0, width));
    }
    return std::string(width - text.size(), ' ') + std::string(text);
}

}  // namespace

std::string DirectLineField(double value, int decimals) {
    if (decimals > 6) {
        decimals = 6;
    }
    for (int d = decimals < 0 ? 0 : decimals; d >= 0; --d) {
        std::string text = FormatC("%*.*f", kFieldWidth, d, value);
        if (text.size() == static_cast<std::size_t>(kFieldWidth)) {
            return text;
        }
    }
    return value < 0 ? "-999999" : "9999999";
}

std::string DirectLineChecksum(std::string_view text) {
    unsigned sum = 0;
    for (const char c : text) {
        sum += static_cast<unsigned char>(c);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    sum &= 0xFF;
    return {kHex[sum >> 4], kHex[sum & 0x0F]};
}

std::string DirectLine(std::string_view date, std::string_view time, const std::vector<std::string>& fields) {
    std::string line = Fixed(date, 8) + ' ' + Fixed(time, 8) + ' ';
    for (const std::string& field : fields) {
        line += Fixed(field, kFieldWidth) + ' ';
    }
    return line + DirectLineChecksum(line);
}

}  // namespace svu::sim
