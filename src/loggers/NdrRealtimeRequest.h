#pragma once

// One real-time line asked of a logger on its command line, for the kinds that call or radio
// the logger for a single reading and then let it go.

#include <functional>
#include <string>
#include <vector>

namespace svu {

class NdrSession;

/// Asks for the stream (with a checksum when the logger offers it, without when it refuses) and
/// takes the first sound line within `attempts` lines: its values. A damaged line is told to
/// `corrupt` and the next one is read. False when no sound line came (a silent logger is reported
/// through the session).
bool TakeNdrRealtimeLine(NdrSession& session, int attempts, const std::function<void()>& corrupt,
                         std::vector<std::string>& values, bool* checksumMode = nullptr);

}  // namespace svu
