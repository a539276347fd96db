#include "sim/DirectRecordEncoding.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "framework/TextUtil.h"

namespace svu::sim {

void EncodeRecordTime(const direct::RecordTime& time, uint8_t* bytes) {
    const int nibble = (((time.year - 1997) % 16) + 16) % 16;
    bytes[0] = static_cast<uint8_t>((nibble << 4) | (time.month & 0x0F));
    bytes[1] = static_cast<uint8_t>(((time.day & 0x1F) << 3) | ((time.hour >> 2) & 0x07));
    bytes[2] = static_cast<uint8_t>(((time.hour & 0x03) << 6) | (time.minute & 0x3F));
}

void EncodeShortFloat(double value, uint8_t* bytes) {
    const bool negative = value < 0;
    double magnitude = std::fabs(value);
    int exponent = -3;
    long digits = 0;
    if (std::isfinite(magnitude) && magnitude > 0) {
        exponent = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
        exponent = std::clamp(exponent, -3, 4);
        digits = std::lround(magnitude / std::pow(10.0, exponent) * 1000.0);
        if (digits >= 1000 && exponent < 4) {
            ++exponent;
            digits = std::lround(magnitude / std::pow(10.0, exponent) * 1000.0);
        }
        digits = std::min(digits, 999L);
    } else if (!std::isfinite(magnitude)) {
        exponent = 4;
        digits = 999;
    }
    bytes[0] = static_cast<uint8_t>((negative ? 0x80 : 0) | ((exponent + 3) << 4) | (digits / 100));
    bytes[1] = static_cast<uint8_t>((((digits / 10) % 10) << 4) | (digits % 10));
}

void EncodeFixedPoint(double raw, uint8_t* bytes) {
    const bool negative = raw < 0;
    long units = std::isfinite(raw) ? std::lround(std::fabs(raw) * 10000.0) : 19999;
    units = std::min(units, 19999L);
    bytes[0] = static_cast<uint8_t>((((units / 100) % 100) << 1) | (units / 10000));
    bytes[1] = static_cast<uint8_t>(((units % 100) << 1) | (negative ? 1 : 0));
}

void EncodeCalibration(double value, uint8_t* entry) {
    constexpr int kDigits = 11;
    std::fill(entry, entry + direct::image::kCalibrationEntrySize, 0);
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    std::string digits(kDigits, '0');
    int exponent = 0;
    if (std::isfinite(magnitude) && magnitude > 0) {
        // "%.10e" gives d.dddddddddde+XX: the digits of 0.ddd... x 10^(XX + 1).
        const std::string text = FormatC("%.10e", magnitude);
        digits = text.substr(0, 1) + text.substr(2, kDigits - 1);
        exponent = AtoI(text.substr(text.find('e') + 1)) + 1;
    }
    entry[0] = static_cast<uint8_t>(static_cast<int8_t>(std::clamp(exponent, -128, 127)));
    for (int i = 0; i < kDigits; ++i) {
        const int nibble = digits[static_cast<std::size_t>(i)] - '0';
        entry[1 + i / 2] |= static_cast<uint8_t>(i % 2 == 0 ? nibble << 4 : nibble);
    }
    entry[6] |= negative ? 0x0D : 0x0C;
}

}  // namespace svu::sim
