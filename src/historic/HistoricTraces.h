#pragma once

// The two traces of the historic graph: which channel each draws and how, and the points built
// from the kept lines. Points are placed at the lines' own time indexes (minutes or seconds from
// the first line); the straight segment between two readings is the interpolation across a gap,
// and a hole between them breaks a direction trace that turned by more than half a circle.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/LocalTime.h"
#include "historic/HistoricLog.h"

namespace svu {

/// A COLORREF-style colour (0x00BBGGRR).
inline constexpr uint32_t RgbColour(int red, int green, int blue) {
    return static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) | (static_cast<uint32_t>(blue) << 16);
}

/// The settings of one trace of the historic graph.
struct HistoricTrace {
    int channel = -1;  // index into the channel names, -1 none
    std::string channelName;
    bool windDirection = false;
    bool autoRange = true;
    float minimum = 0.0f;
    float maximum = 100.0f;
    uint32_t colour = RgbColour(0, 0, 255);

    /// The defaults of trace 1 (blue) or trace 2 (red), `which` 0 or 1.
    static HistoricTrace Default(int which);
};

/// One trace's points: X in time units from the first kept line, Y the values (or holes).
struct TraceSeries {
    std::vector<double> x;
    std::vector<double> y;
};

/// The Y value of a hole in a series (the chart's own hole value).
inline constexpr double kTraceHole = 1.7976931348623157e308;

/// Seconds per time unit of the graph: 60 when every kept line has seconds 00, else 1.
int HistoricTimeUnit(const HistoricLog& log);

/// The last time index: (time of the last line - time of the first) in the time unit.
int64_t HistoricLastIndex(const HistoricLog& log, int unit);

/// The points of a trace (empty when it has no channel). A direction trace is kept continuous
/// across north by adding 360 where the previous point makes that the shorter way, on a 0-720 scale.
TraceSeries BuildTraceSeries(const HistoricLog& log, const HistoricTrace& trace, int unit);

/// The chart heading: the source's name, then the start and end of the period, each as the user's
/// time and date, separated by " - ".
std::string HistoricHeading(const std::string& sourceName, TimeT from, TimeT to);

}  // namespace svu
