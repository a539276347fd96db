#pragma once

// The program's number format for computed channel values: "%.5G" in the C locale, whatever the
// process locale. Derived channels write every value through it, and the station writes them.

#include <cstddef>
#include <string>

namespace svu {

/// Room for any "%.5G" text.
constexpr std::size_t kNumberTextSize = 32;

/// "%.5G" of a finite value into `buf` (at least kNumberTextSize bytes), independent of the process
/// locale; returns the length. Matches printf in the C locale digit for digit.
std::size_t FormatG5To(char* buf, double value);

/// The same as a string; values that are not finite give printf's "INF", "-INF" or "NAN".
std::string FormatG5(double value);

}  // namespace svu
