#include "framework/StartupTrace.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace svu {

namespace {

// The process's start in milliseconds of CLOCK_BOOTTIME, from /proc/self/stat (field 22, in clock
// ticks since boot); -1 when it cannot be read.
double ProcessStartMs() {
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name (field 2) may hold spaces: count the fields after its closing parenthesis.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::size_t pos = close + 2;
    for (int field = 3; field < 22 && pos != std::string::npos; ++field) {
        pos = stat.find(' ', pos);
        if (pos != std::string::npos) {
            ++pos;
        }
    }
    if (pos == std::string::npos) {
        return -1;
    }
    const long ticks = sysconf(_SC_CLK_TCK);
    return ticks > 0 ? std::strtod(stat.c_str() + pos, nullptr) * 1000.0 / static_cast<double>(ticks) : -1;
}

double NowMs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

}  // namespace

bool StartupTraceEnabled() {
    static const bool enabled = std::getenv("STRATAVUE_TRACE_STARTUP") != nullptr;
    return enabled;
}

void TraceStartupMilestone(std::atomic<bool>& reached, const char* milestone) {
    if (reached.exchange(true)) {
        return;
    }
    const double start = ProcessStartMs();
    const double sinceStart = start >= 0 ? NowMs(CLOCK_BOOTTIME) - start : -1;
    std::fprintf(stderr, "stratavue startup: %s %.1f ms (at %.3f)\n", milestone, sinceStart, NowMs(CLOCK_REALTIME));
    std::fflush(stderr);
}

}  // namespace svu
