#include "historic/HistoricTraces.h"

#include <cmath>

namespace svu {

namespace {

constexpr double kHalfCircle = 180.0;

// Moves a direction onto the 0-720 scale next to the previous point `p` (`first`: no previous).
double ContinueDirection(double v, double p, bool first) {
    if (first) {
        return v < 180.0 ? v + 360.0 : v;
    }
    if (p < 360.0) {
        return p >= 270.0 && v < 90.0 ? v + 360.0 : v;
    }
    if (p < 450.0) {
        return v < 180.0 ? v + 360.0 : v;
    }
    return v + 360.0;
}

}  // namespace

HistoricTrace HistoricTrace::Default(int which) {
    HistoricTrace trace;
    trace.colour = which == 0 ? RgbColour(0, 0, 255) : RgbColour(255, 0, 0);
    return trace;
}

int HistoricTimeUnit(const HistoricLog& log) {
    return log.WholeMinutes() ? 60 : 1;
}

int64_t HistoricLastIndex(const HistoricLog& log, int unit) {
    return log.HaveData() ? (log.LastTime() - log.FirstTime()) / unit : 0;
}

TraceSeries BuildTraceSeries(const HistoricLog& log, const HistoricTrace& trace, int unit) {
    TraceSeries series;
    if (trace.channel < 0 || !log.HaveData()) {
        return series;
    }
    series.x.reserve(log.Count());
    series.y.reserve(log.Count());
    const TimeT origin = log.FirstTime();
    int64_t previousIndex = 0;
    double p = 0.0;
    for (std::size_t line = 0; line < log.Count(); ++line) {
        const int64_t index = (log.Time(line) - origin) / unit;
        double v = ParseLogValue(log.Line(line), trace.channel);
        const bool first = line == 0;
        bool broken = false;
        if (trace.windDirection) {
            v = ContinueDirection(v, p, first);
            broken = !first && std::fabs(v - p) > kHalfCircle;
        }
        if (!first && index == previousIndex) {
            series.y.back() = v;  // two readings in one time unit: the later one stands
        } else {
            if (!first && broken && index - previousIndex > 1) {
                series.x.push_back(static_cast<double>(previousIndex + 1));
                series.y.push_back(kTraceHole);
            }
            series.x.push_back(static_cast<double>(index));
            series.y.push_back(v);
        }
        p = v;
        previousIndex = index;
    }
    return series;
}

std::string HistoricHeading(const std::string& sourceName, TimeT from, TimeT to) {
    return sourceName + " " + FormatUserTime(from) + " " + FormatUserDate(from) + " - " + FormatUserTime(to) + " " +
           FormatUserDate(to);
}

}  // namespace svu
