#pragma once

// Running counts of what happened to a station, for monitoring. They live apart from the station
// (shared) so that a reader on another thread may keep them after the station list has changed;
// each is bumped with one relaxed atomic add and never reset while the program runs.

#include <atomic>
#include <cstdint>

namespace svu {

struct StationCounters {
    std::atomic<uint64_t> readings{0};        // readings stored and processed
    std::atomic<uint64_t> corruptLines{0};    // replies or input lines thrown away as damaged
    std::atomic<uint64_t> logWriteErrors{0};  // daily log opens or writes that failed
};

}  // namespace svu
