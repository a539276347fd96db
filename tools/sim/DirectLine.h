#pragma once

// The simulated instrument's real-time line, written from the simulator's own code: a fault in
// the station's reading of the line must not be hidden by the same fault in what it is fed.

#include <string>
#include <string_view>
#include <vector>

namespace svu::sim {

/// A value right-aligned in the 7 characters of a field, with `decimals` decimals or as many
/// fewer as it takes to fit; clipped to -999999 / 9999999 when even none fit.
std::string DirectLineField(double value, int decimals);

/// Two lower-case hexadecimal digits of the byte sum of `text`, modulo 256.
std::string DirectLineChecksum(std::string_view text);

/// "dd/mm/yy hh:mm:ss " then each 7-character field and a space, then the checksum of all that;
/// no line end.
std::string DirectLine(std::string_view date, std::string_view time, const std::vector<std::string>& fields);

}  // namespace svu::sim
