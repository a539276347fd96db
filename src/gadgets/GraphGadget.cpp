#include "gadgets/GraphGadget.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <string_view>

#include "framework/Archive.h"
#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/TextUtil.h"
#include "gadgets/ChartPainter.h"
#include "historic/DayFiles.h"
#include "historic/LogRecord.h"
#include "stations/WSFile.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

// A width read from a damaged file must not size the traces beyond any screen.
constexpr int kMaxPoints = 16384;
constexpr double kWindAxisTop = 720.0;
constexpr double kHalfTurn = 180.0;

// Local midnight of 1 January 1970: the reading and axis times of a graph that has seen nothing.
TimeT NoReadingTime() {
    return FromLocal(1970, 1, 1, 0, 0, 0);
}

double PlusTurnBelowHalf(double value) {
    return value < kHalfTurn ? value + 360.0 : value;
}

}  // namespace

double UnwrapDirection(double value, std::optional<double> previous, bool& gap) {
    gap = false;
    if (!previous) {
        return PlusTurnBelowHalf(value);
    }
    const double p = *previous;
    if (p >= 270 && p < 360) {
        if (value < 90) {
            value += 360;
        }
    } else if (p >= 360 && p < 450) {
        value = PlusTurnBelowHalf(value);
    } else if (p >= 450) {
        value += 360;
    }
    gap = std::fabs(value - p) > kHalfTurn;
    return value;
}

GraphGadget::GraphGadget() : Gadget(kTypeCode), axisEnd_(NoReadingTime()) {
    mainFont.height = -16;
    traces[0].colour = 0xFF0000;
    traces[1].colour = 0x0000FF;
    for (GraphTrace& trace : traces) {
        trace.lastReadingTime = NoReadingTime();
    }
}

GraphGadget::GraphGadget(const GraphGadget& other)
    : Gadget(other),
      traces(other.traces),
      timeBase(other.timeBase),
      timeGrid(other.timeGrid),
      axisEnd_(other.axisEnd_) {
    for (GraphTrace& trace : traces) {
        trace.points.clear();  // the copy sizes its own traces
    }
    CopySourcesFrom(other);
}

std::unique_ptr<Gadget> GraphGadget::Clone() const {
    return std::unique_ptr<Gadget>(new GraphGadget(*this));
}

void GraphGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    auto since = [&](int first, int32_t& field) {
        if (ar.IsStoring() || schema >= first) {
            ar.Field(field);
        } else {
            field = 0;
        }
    };
    ar.Field(traces[0].autoRange);
    ar.Field(traces[1].autoRange);
    ar.Field(traces[0].maximum);
    ar.Field(traces[1].maximum);
    ar.Field(traces[0].minimum);
    ar.Field(traces[1].minimum);
    ar.Field(timeBase);
    ar.Field(traces[0].colour);
    ar.Field(traces[1].colour);
    ar.Field(traces[0].title);
    ar.Field(traces[1].title);
    ar.Field(traces[0].windDirection);
    ar.Field(traces[1].windDirection);
    SerializeSource(ar, 0);
    since(5, traces[0].peakHold);
    since(6, traces[0].grid);
    since(6, traces[1].grid);
    since(6, timeGrid);
    SerializeSource(ar, 1);
    since(5, traces[1].peakHold);
    if (ar.IsLoading()) {
        count_ = 0;
        ResetHistory();
    }
}

int GraphGadget::ConfiguredWidth() const {
    return std::clamp(ClientRect().width(), kMinPoints, kMaxPoints);
}

void GraphGadget::Configure() {
    configuredWidth_ = ClientRect().width();
    count_ = ConfiguredWidth();
    const int64_t span = std::max<int64_t>(timeBase, 0);
    interval_ = static_cast<int32_t>(std::max<int64_t>(1, (span + count_ - 1) / count_));
    for (GraphTrace& trace : traces) {
        trace.points.assign(static_cast<size_t>(count_), kChartHole);
    }
}

void GraphGadget::EnsureConfigured() {
    if (count_ == 0) {
        Configure();
    }
}

TimeT GraphGadget::PointTime(int index) const {
    return axisEnd_ - static_cast<TimeT>(count_ - 1 - index) * interval_;
}

long long GraphGadget::IndexOf(TimeT time) const {
    if (time > axisEnd_) {
        // A reading within an interval after the newest point still belongs to it.
        return time - axisEnd_ < interval_ ? count_ - 1 : count_;
    }
    return static_cast<long long>(count_ - 1) - (axisEnd_ - time) / interval_;
}

void GraphGadget::ResetHistory() {
    for (GraphTrace& trace : traces) {
        trace.starting = 1;
        std::fill(trace.points.begin(), trace.points.end(), kChartHole);
    }
    axisEnd_ = NoReadingTime();
}

bool GraphGadget::UpdateFromChannels() {
    const std::array<bool, 2> valid = {source1.IsValid(), source2.IsValid()};
    if (!valid[0] && !valid[1]) {
        return false;
    }
    EnsureConfigured();
    std::array<Reading, 2> readings;
    {
        // Both stations stay locked while their values are copied, so the two traces see one
        // moment; the logs are read after the locks are released.
        std::unique_lock<std::recursive_mutex> lock1;
        std::unique_lock<std::recursive_mutex> lock2;
        if (valid[0]) {
            lock1 = std::unique_lock(source1.station->lock);
        }
        if (valid[1]) {
            lock2 = std::unique_lock(source2.station->lock);
        }
        for (int t = 0; t < 2; ++t) {
            if (!valid[static_cast<size_t>(t)]) {
                continue;
            }
            const GadgetSource& source = Source(t);
            const WeatherStation& station = *source.station;
            Reading& reading = readings[static_cast<size_t>(t)];
            reading.time = station.readingTime;
            const auto index = static_cast<size_t>(source.channel - 1);
            if (reading.time != traces[static_cast<size_t>(t)].lastReadingTime && index < station.values.size()) {
                reading.fresh = true;
                reading.value = AtoF(station.values[index]);
            }
        }
    }
    bool changed = false;
    for (int t = 0; t < 2; ++t) {
        const Reading& reading = readings[static_cast<size_t>(t)];
        if (!reading.fresh) {
            continue;
        }
        changed = true;
        GraphTrace& trace = traces[static_cast<size_t>(t)];
        if (trace.starting != 0) {
            StartTrace(t, reading.time, reading.value);
        } else {
            TakeReading(t, reading.time, reading.value);
        }
        trace.lastReadingTime = reading.time;
    }
    return changed;
}

void GraphGadget::Advance(TimeT time) {
    const TimeT steps = (time - axisEnd_) / interval_;
    if (steps <= 0) {
        return;
    }
    if (steps >= count_) {
        for (GraphTrace& trace : traces) {
            std::fill(trace.points.begin(), trace.points.end(), kChartHole);
        }
        axisEnd_ = time;
        return;
    }
    // The axis moves in whole intervals, so every point keeps standing for its own time.
    const auto k = static_cast<std::ptrdiff_t>(steps);
    for (GraphTrace& trace : traces) {
        std::move(trace.points.begin() + k, trace.points.end(), trace.points.begin());
        std::fill(trace.points.end() - k, trace.points.end(), kChartHole);
    }
    axisEnd_ += steps * interval_;
}

void GraphGadget::TakeReading(int which, TimeT time, double value) {
    GraphTrace& trace = traces[static_cast<size_t>(which)];
    if (time >= axisEnd_ + interval_) {
        Advance(time);
        Place(which, IndexOf(time), value, false);
        return;
    }
    const long long index = IndexOf(time);
    if (index >= 0) {
        Place(which, index, value, trace.peakHold != 0);
    }
}

void GraphGadget::Place(int which, long long index, double value, bool peakHold) {
    GraphTrace& trace = traces[static_cast<size_t>(which)];
    if (index < 0 || index >= count_) {
        return;
    }
    std::vector<double>& points = trace.points;
    long long previous = index - 1;
    while (previous >= 0 && IsChartHole(points[static_cast<size_t>(previous)])) {
        --previous;
    }
    bool gap = false;
    if (trace.windDirection != 0) {
        value = UnwrapDirection(
            value, previous >= 0 ? std::optional<double>(points[static_cast<size_t>(previous)]) : std::nullopt, gap);
    }
    double& point = points[static_cast<size_t>(index)];
    point = peakHold && !IsChartHole(point) ? std::max(point, value) : value;
    if (previous < 0 || gap) {
        return;
    }
    const double from = points[static_cast<size_t>(previous)];
    for (long long m = previous + 1; m < index; ++m) {
        points[static_cast<size_t>(m)] =
            from + (value - from) * static_cast<double>(m - previous) / static_cast<double>(index - previous);
    }
}

void GraphGadget::StartTrace(int which, TimeT time, double value) {
    GraphTrace& trace = traces[static_cast<size_t>(which)];
    if (time >= axisEnd_ + interval_) {
        Advance(time);
    }
    const long long index = IndexOf(time);
    if (index >= 0 && index < count_) {
        trace.points[static_cast<size_t>(index)] = trace.windDirection != 0 ? PlusTurnBelowHalf(value) : value;
    }
    BackFill(which, time);
    FillGaps(which);
    trace.starting = 0;
}

void GraphGadget::BackFill(int which, TimeT now) {
    const GadgetSource& source = Source(which);
    GraphTrace& trace = traces[static_cast<size_t>(which)];
    const WeatherStation& station = *source.station;
    const int channel = source.channel;
    const CalendarDay today = DayOf(now);
    const CalendarDay yesterday = DayOf(NoonOf(today) - 86400);
    LogTimeParser times;
    std::optional<double> previous;
    for (const CalendarDay& day : {yesterday, today}) {
        LogLineReader reader;
        if (!reader.Open(DayFilePath(station.logFolder, station.name, day))) {
            continue;
        }
        std::string_view line;
        if (!reader.Next(line)) {
            continue;
        }
        const int count = ParseLogChannelCount(line);
        if (channel > count) {
            continue;
        }
        bool complete = true;
        for (int i = 0; i < count && complete; ++i) {
            complete = reader.Next(line);
        }
        while (complete && reader.Next(line)) {
            const size_t comma = line.find(',');
            if (comma == std::string_view::npos) {
                continue;
            }
            const std::string_view rest = line.substr(comma + 1);
            const long long index =
                IndexOf(times.Parse(line.substr(0, comma), TrimLeft(rest.substr(0, rest.find(',')))));
            if (index < 0 || index >= count_) {
                continue;
            }
            double value = LogRecordValue(line, channel - 1);
            if (trace.windDirection != 0) {
                bool gap = false;
                value = UnwrapDirection(value, previous, gap);
                previous = value;
            }
            trace.points[static_cast<size_t>(index)] = value;
        }
    }
}

void GraphGadget::FillGaps(int which) {
    GraphTrace& trace = traces[static_cast<size_t>(which)];
    std::vector<double>& points = trace.points;
    long long last = -1;  // the previous point with a value
    for (long long i = 0; i < static_cast<long long>(points.size()); ++i) {
        const double b = points[static_cast<size_t>(i)];
        if (IsChartHole(b)) {
            continue;
        }
        if (last >= 0 && i - last > 1) {
            const double a = points[static_cast<size_t>(last)];
            if (trace.windDirection == 0 || std::fabs(b - a) <= kHalfTurn) {
                for (long long m = last + 1; m < i; ++m) {
                    points[static_cast<size_t>(m)] =
                        a + (b - a) * static_cast<double>(m - last) / static_cast<double>(i - last);
                }
            }
        }
        last = i;
    }
}

GraphGadget::HistoryKey GraphGadget::CurrentHistoryKey() const {
    HistoryKey key;
    for (int t = 0; t < 2; ++t) {
        key.station[static_cast<size_t>(t)] = Source(t).station;
        key.channel[static_cast<size_t>(t)] = Source(t).channel;
    }
    key.timeBase = timeBase;
    return key;
}

void GraphGadget::PropertiesApplied(const HistoryKey& before) {
    const HistoryKey now = CurrentHistoryKey();
    if (now.timeBase != before.timeBase || (count_ != 0 && ClientRect().width() != configuredWidth_)) {
        Configure();
        for (GraphTrace& trace : traces) {
            trace.starting = 1;
        }
        return;
    }
    for (size_t t = 0; t < 2; ++t) {
        if (now.station[t] != before.station[t] || now.channel[t] != before.channel[t]) {
            traces[t].starting = 1;
            std::fill(traces[t].points.begin(), traces[t].points.end(), kChartHole);
        }
    }
}

ChartState GraphGadget::MakeChartState() const {
    ChartState state;
    // Until the first reading the axis ends now, not at the placeholder time.
    state.timeBase = axisEnd_ == NoReadingTime() ? GadgetClock().Now() : axisEnd_;
    state.timeUnit = 1;
    state.timeAuto = false;
    const int n = std::max(count_, kMinPoints);
    state.timeMinimum = -static_cast<double>(n - 1) * interval_;
    state.timeMaximum = 0.0;
    state.timeGrid = timeGrid != 0;
    state.header = QString::fromStdString(topLeftText);
    state.headerAlignment = Qt::AlignLeft;
    state.footer = QString::fromStdString(bottomRightText);
    state.footerAlignment = Qt::AlignRight;
    state.headerFont = auxFont.ToQFont();
    state.footerFont = state.headerFont;
    state.axisFont = mainFont.ToQFont();
    state.background = ColourFromRef(backgroundColour);
    state.plotBackground = state.background;
    state.foreground = ColourFromRef(mainColour);
    state.textColour = ColourFromRef(auxColour);
    state.secondAxisShown = source2.station != nullptr;

    std::vector<double> x(static_cast<size_t>(count_));
    for (int i = 0; i < count_; ++i) {
        x[static_cast<size_t>(i)] = static_cast<double>(i - (count_ - 1)) * interval_;
    }
    static const char* const kCompass[] = {"N", "E", "S", "W"};
    for (size_t t = 0; t < 2; ++t) {
        const GraphTrace& trace = traces[t];
        ChartYAxis& axis = state.y[t];
        if (trace.windDirection != 0) {
            axis.autoRange = false;
            axis.minimum = 0.0;
            axis.maximum = kWindAxisTop;
            for (int k = 0; k <= 8; ++k) {
                axis.valueLabels.push_back(ChartValueLabel{k * 90.0, QString::fromLatin1(kCompass[k % 4])});
            }
        } else {
            axis.autoRange = trace.autoRange != 0;
            axis.minimum = trace.minimum;
            axis.maximum = trace.maximum;
        }
        const bool shown = t == 0 || state.secondAxisShown;
        axis.title = shown ? QString::fromStdString(trace.title) : QString();
        axis.grid = shown && trace.grid != 0;
        axis.colour = ColourFromRef(trace.colour);
        if (Source(static_cast<int>(t)).station != nullptr && trace.points.size() == x.size()) {
            ChartSeries series;
            series.x = x;
            series.y = trace.points;
            series.colour = ColourFromRef(trace.colour);
            axis.sets.push_back(std::move(series));
        }
    }
    return state;
}

void GraphGadget::Paint(QPainter& painter, const QRect& client) {
    EnsureConfigured();
    PaintChart(painter, client, MakeChartState());
}

void GraphGadget::VisitKindFields(FieldVisitor& v) {
    GraphTrace& one = traces[0];
    GraphTrace& two = traces[1];
    // The stored range is kept while automatic range is on: it comes back when it is switched off.
    v.Bool32("autoRange1", one.autoRange);
    v.Bool32("autoRange2", two.autoRange);
    v.Double("maximum1", one.maximum);
    v.Double("maximum2", two.maximum);
    v.Double("minimum1", one.minimum);
    v.Double("minimum2", two.minimum);
    v.Int32("timeBase", timeBase);
    v.Colour("colour1", one.colour);
    v.Colour("colour2", two.colour);
    v.String("title1", one.title);
    v.String("title2", two.title);
    v.Bool32("windDirection1", one.windDirection);
    v.Bool32("windDirection2", two.windDirection);
    v.Bool32("peakHold1", one.peakHold);
    v.Bool32("grid1", one.grid);
    v.Bool32("grid2", two.grid);
    v.Bool32("timeGrid", timeGrid);
    v.Bool32("peakHold2", two.peakHold);
}

}  // namespace svu
