#pragma once

#include <string_view>

namespace svu {

/// The number a channel's value text stands for, with exactly the result of AtoF (C-locale atof:
/// white space, sign, the longest decimal prefix; anything else 0). Plain decimal texts, which is
/// what channels hold, are converted without the C library's general-purpose path.
double ParseValue(std::string_view text);

}  // namespace svu
