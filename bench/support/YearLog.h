#pragma once

// A year of one-minute records in the log file format, for the benchmarks that replay one.

#include <cstdio>
#include <fstream>
#include <string>

#include "framework/LocalTime.h"

namespace svu::bench {

constexpr long kYearOfMinutes = 365L * 24 * 60;

/// Writes `names` channel names ("Channel 0", ...) and, per record, the date, the time and `values`
/// numbers with one decimal, from 1 January 2025 at one-minute steps.
inline void WriteYearLog(const std::string& path, int names, int values) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << names << "\r\n";
    for (int c = 0; c < names; ++c) {
        out << "Channel " << c << "\r\n";
    }
    const int first = names - values;  // the numbers follow the channels they stand for
    TimeT t = FromLocal(2025, 1, 1, 0, 0, 0);
    char line[512];
    for (long r = 0; r < kYearOfMinutes; ++r, t += 60) {
        const LocalTm tm = ToLocal(t);
        int n = std::snprintf(line, sizeof line, "%02d/%02d/%02d, %02d:%02d:%02d", tm.day, tm.month, tm.year % 100,
                              tm.hour, tm.minute, tm.second);
        for (int c = first; c < names; ++c) {
            const long v = (r * (c + 3) + c * 37) % 3600;
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), ", %ld.%ld", v / 10, v % 10);
        }
        out.write(line, n);
        out << "\r\n";
    }
}

}  // namespace svu::bench
