#include "framework/Clock.h"

#include <ctime>
#include <thread>

namespace svu {

TimeT RealClock::Now() const {
    return static_cast<TimeT>(std::time(nullptr));
}

int64_t RealClock::TickMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void RealClock::SleepFor(std::chrono::milliseconds duration) {
    if (duration.count() > 0) {
        std::this_thread::sleep_for(duration);
    }
}

Clock& SystemClock() {
    static RealClock clock;
    return clock;
}

TimeT ManualClock::Now() const {
    // Floor division, so a clock set before the epoch still counts whole seconds downwards.
    const int64_t ms = nowMs_.load();
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

void ManualClock::SleepFor(std::chrono::milliseconds duration) {
    if (duration.count() > 0) {
        nowMs_.fetch_add(duration.count());
    }
    std::this_thread::yield();
}

}  // namespace svu
