#pragma once

// An opt-in trace of how long the program takes to become useful: with STRATAVUE_TRACE_STARTUP set
// in the environment, the first time each milestone is reached one line goes to standard error:
//   stratavue startup: <milestone> <ms since the process started> ms (at <ms since the epoch>)
// The start-up benchmark reads it. Without the variable a milestone costs one test of a flag.

#include <atomic>

namespace svu {

/// True when STRATAVUE_TRACE_STARTUP is set (read once).
bool StartupTraceEnabled();

/// Writes the milestone's line, the first time `reached` is passed for it.
void TraceStartupMilestone(std::atomic<bool>& reached, const char* milestone);

/// The usual form: `static std::atomic<bool> reached; TraceStartup(reached, "...")`.
inline void TraceStartup(std::atomic<bool>& reached, const char* milestone) {
    if (StartupTraceEnabled() && !reached.load(std::memory_order_relaxed)) {
        TraceStartupMilestone(reached, milestone);
    }
}

}  // namespace svu
