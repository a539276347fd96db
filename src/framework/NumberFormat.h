#pragma once

// The program's number format for computed channel values: "%.5G" in the C locale, whatever the
// process locale. Derived channels write every value through it, and the station writes them.

#include <cstddef>
#include <string>

namespace svu {

/// Room for any "%.<precision>G" text with a precision of at most 17.
constexpr std::size_t kNumberTextSize = 32;

/// printf's "%.<precision>G" (precision 1 to 17) of a finite value into `buf` (at least
/// kNumberTextSize bytes), NUL-terminated and independent of the process locale; returns the
/// length. Matches printf in the C locale digit for digit, ties and all.
std::size_t FormatGTo(char* buf, double value, int precision);

/// "%.5G" of a finite value, as FormatGTo.
inline std::size_t FormatG5To(char* buf, double value) {
    return FormatGTo(buf, value, 5);
}

/// The same as a string; values that are not finite give printf's "INF", "-INF", "NAN" or "-NAN".
std::string FormatG5(double value);

}  // namespace svu
