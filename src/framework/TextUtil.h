#pragma once

// Number and text helpers that behave the same whatever the process locale is. Channel values
// are text converted with C-locale rules; Qt and the user's environment may set LC_NUMERIC to a
// locale with a decimal comma, so nothing in the model may use plain atof/strtod/printf.

#include <locale.h>

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/NumberFormat.h"

namespace svu {

/// The process-wide "C" locale object (created once, never freed).
locale_t CLocale();

/// Makes the calling thread use the "C" locale until destroyed (for code that must call a
/// locale-dependent C function directly).
class ScopedCLocale {
public:
    ScopedCLocale() : previous_(uselocale(CLocale())) {}
    ~ScopedCLocale() { uselocale(previous_); }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    locale_t previous_;
};

/// Decimal conversion with atof semantics in the C locale: leading white space, optional sign,
/// digits with an optional point and exponent; the longest valid prefix counts, anything else
/// gives 0. Hexadecimal, "inf" and "nan" forms are not numbers here.
double AtoF(std::string_view text);

/// Integer conversion with atoi semantics: leading white space, optional sign, decimal digits;
/// no digits gives 0; out-of-range values saturate instead of wrapping.
int AtoI(std::string_view text);

/// As AtoI for long.
long AtoL(std::string_view text);

/// printf into a std::string, always in the C locale.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// vprintf form of FormatC.
std::string VFormatC(const char* format, va_list args);

/// Removes every carriage return (13), line feed (10) and end-of-text (3) character.
void StripControlChars(std::string& text);

/// With a decimal point present, removes trailing zeros but keeps the digit after the point:
/// "12.50000" -> "12.5", "3.000" -> "3.0". Text without a point is left as it is.
void TrimTrailingZeros(std::string& text);

/// Exchanges the two bytes of a 16-bit value.
constexpr uint16_t SwapBytes(uint16_t value) {
    return static_cast<uint16_t>((value >> 8) | (value << 8));
}

/// Bits 0-3 of a byte.
constexpr uint8_t LowNibble(uint8_t value) {
    return static_cast<uint8_t>(value & 0x0F);
}

/// Bits 4-7 of a byte, shifted down.
constexpr uint8_t HighNibble(uint8_t value) {
    return static_cast<uint8_t>(value >> 4);
}

/// True for the C locale's white space: space, \t, \n, \v, \f, \r.
constexpr bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

/// ASCII lower case; other bytes unchanged.
constexpr char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// ASCII case-insensitive equality (bytes above 127 compare exactly).
bool EqualsNoCase(std::string_view a, std::string_view b);

/// The text without leading and trailing C-locale white space.
std::string_view Trim(std::string_view text);

/// The text without trailing C-locale white space.
std::string_view TrimRight(std::string_view text);

/// The text without leading C-locale white space.
std::string_view TrimLeft(std::string_view text);

/// Sets `to` to `text` (which must not lie inside `to`), reusing its storage: a cheaper path than
/// std::string::assign for the short channel texts copied on every reading.
inline void AssignText(std::string& to, std::string_view text) {
    if (text.size() <= to.capacity()) {
        to.resize(text.size());
        if (!text.empty()) {
            std::char_traits<char>::copy(to.data(), text.data(), text.size());
        }
    } else {
        to.assign(text);
    }
}

}  // namespace svu
