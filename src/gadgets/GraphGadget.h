#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/LocalTime.h"
#include "gadgets/ChartLayout.h"
#include "gadgets/Gadget.h"

namespace svu {

/// One line of the graph ("Trace 1" on the left axis, "Trace 2" on the right): its settings and
/// one value per point, oldest first (kChartHole where there is none).
struct GraphTrace {
    int32_t starting = 1;  // fill from the logs at the next reading
    TimeT lastReadingTime = 0;
    std::vector<double> points;
    int32_t windDirection = 0;  // values unwrapped onto 0..720 so that north is never a jump
    int32_t autoRange = 1;
    double minimum = 0.0;
    double maximum = 1.0;
    std::string title;
    uint32_t colour = 0;
    int32_t peakHold = 0;  // a point keeps the largest reading of its interval
    int32_t grid = 0;
};

/// A live trend of up to two channels over the last `timeBase` seconds ("Graph"): one point per
/// pixel column of the chart, the time axis advancing as readings arrive, filled from the daily
/// logs when a trace starts, gaps bridged by straight lines.
class GraphGadget : public Gadget {
public:
    static constexpr const char* kClassName = "GraphGadget";
    static constexpr int32_t kTypeCode = 8;
    static constexpr int32_t kDefaultTimeBase = 3600;
    static constexpr int kMinPoints = 2;

    GraphGadget();

    const char* ClassName() const override { return kClassName; }
    /// The base record, the axis settings, time base, colours, titles and wind flags, source 1,
    /// peak hold 1 (schema 5 on), the grids (schema 6 on), source 2, peak hold 2 (schema 5 on).
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    /// Takes every new reading of the two sources; true when a point changed.
    bool UpdateFromChannels() override;
    /// Both traces start again (filled from the logs at their next reading).
    void ResetHistory() override;
    void Paint(QPainter& painter, const QRect& client) override;
    void VisitKindFields(FieldVisitor& v) override;

    /// Sizes the traces to the chart: one point per pixel of the client width (at least 2), the
    /// interval the time base over that rounded up. Every point becomes a hole.
    void Configure();
    /// Points per trace (0 until configured).
    int PointCount() const { return count_; }
    /// Seconds per point.
    int32_t Interval() const { return interval_; }
    /// Time of the newest point.
    TimeT AxisEnd() const { return axisEnd_; }
    /// The time point `index` stands for.
    TimeT PointTime(int index) const;
    /// The point a time falls in (outside 0 .. PointCount() - 1 when it is off the axis).
    long long IndexOf(TimeT time) const;
    /// What the chart shows now.
    ChartState MakeChartState() const;

    /// What the history depends on: the sources and the time base.
    struct HistoryKey {
        std::array<const WeatherStation*, 2> station{};
        std::array<int32_t, 2> channel{-1, -1};
        int32_t timeBase = 0;
        bool operator==(const HistoryKey&) const = default;
    };
    HistoryKey CurrentHistoryKey() const;
    /// After the property sheet's OK: a trace whose source changed starts again; a new time base,
    /// or a width changed since the traces were sized, sizes them afresh and starts both (each is
    /// filled from the logs again at its next reading).
    void PropertiesApplied(const HistoryKey& before);

    std::array<GraphTrace, 2> traces;
    int32_t timeBase = kDefaultTimeBase;  // seconds shown
    int32_t timeGrid = 0;

protected:
    GraphGadget(const GraphGadget& other);

private:
    struct Reading {
        bool fresh = false;
        TimeT time = 0;
        double value = 0.0;
    };

    void EnsureConfigured();
    int ConfiguredWidth() const;
    void TakeReading(int which, TimeT time, double value);
    void StartTrace(int which, TimeT time, double value);
    // Moves the axis end to the interval holding `time`, both traces' points with it.
    void Advance(TimeT time);
    // Places `value` (unwrapped for a wind direction) at `index` and bridges the gap back to the
    // previous point.
    void Place(int which, long long index, double value, bool peakHold);
    // Reads the logs of the previous day and of `now`'s day into the trace.
    void BackFill(int which, TimeT now);
    void FillGaps(int which);

    TimeT axisEnd_;
    int32_t interval_ = 1;
    int count_ = 0;
    int configuredWidth_ = 0;
};

/// A wind direction made continuous against the previous value `previous` of its trace (none
/// for the first): readings near north stay near 360 so that the line does not jump across the
/// chart. `gap` tells when the step from the previous value is still more than 180 degrees.
double UnwrapDirection(double value, std::optional<double> previous, bool& gap);

}  // namespace svu
