#pragma once

// The time source of the model. Stations, polling loops and timers ask a Clock rather than the
// system, so tests can run hours of polling in an instant with a ManualClock.

#include <atomic>
#include <chrono>
#include <cstdint>

#include "framework/LocalTime.h"

namespace svu {

class Clock {
public:
    virtual ~Clock() = default;

    /// The calendar time, in whole seconds.
    virtual TimeT Now() const = 0;

    /// A monotonic millisecond count for measuring time-outs; its origin is arbitrary.
    virtual int64_t TickMs() const = 0;

    /// Waits for `duration` (a ManualClock advances itself instead).
    virtual void SleepFor(std::chrono::milliseconds duration) = 0;
};

/// The system's clock.
class RealClock : public Clock {
public:
    TimeT Now() const override;
    int64_t TickMs() const override;
    void SleepFor(std::chrono::milliseconds duration) override;
};

/// The process's real clock.
Clock& SystemClock();

/// A clock that moves only when told to; SleepFor advances it by the requested time and yields
/// the processor, so a polling loop runs at full speed with the time it expects. Thread-safe.
class ManualClock : public Clock {
public:
    /// Starts at `start` (seconds since the epoch).
    explicit ManualClock(TimeT start = 0) : nowMs_(start * 1000) {}

    TimeT Now() const override;
    int64_t TickMs() const override { return nowMs_.load(); }
    void SleepFor(std::chrono::milliseconds duration) override;

    /// Jumps to `time` (seconds since the epoch); the tick count jumps with it.
    void Set(TimeT time) { nowMs_.store(time * 1000); }
    /// Moves forward (or, with a negative duration, back).
    void Advance(std::chrono::milliseconds duration) { nowMs_.fetch_add(duration.count()); }

private:
    std::atomic<int64_t> nowMs_;
};

}  // namespace svu
