// Where a chart's parts go for one size: ranges, ticks, labels and the plot rectangle.

#include "gadgets/ChartLayout.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace svu {

namespace {

constexpr double kMargin = 4.0;
constexpr int kMaxTicks = 200;

struct Extent {
    double minimum = std::numeric_limits<double>::infinity();
    double maximum = -std::numeric_limits<double>::infinity();
    bool Valid() const { return minimum <= maximum; }
    void Add(double v) {
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
};

// One pass over the points of every set of an axis: X of all points, Y of those from `low` to
// `high`, so that a zoomed chart fits the values it shows.
void AddExtents(const ChartYAxis& axis, double low, double high, Extent& xs, Extent& ys) {
    for (const ChartSeries& s : axis.sets) {
        const std::size_t n = std::min(s.x.size(), s.y.size());
        for (std::size_t i = 0; i < n; ++i) {
            if (!IsChartHole(s.y[i]) && std::isfinite(s.x[i]) && s.x[i] >= low && s.x[i] <= high) {
                xs.Add(s.x[i]);
                ys.Add(s.y[i]);
            }
        }
    }
}

// The first of 1, 2, 5 x 10^n not below span / target.
double NiceStep(double span, double target) {
    const double raw = span / std::max(1.0, target);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * magnitude >= raw * (1 - 1e-9)) {
            return m * magnitude;
        }
    }
    return 10.0 * magnitude;
}

QString FormatTickNumber(double value, double step) {
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    if (std::fabs(value) >= 1e9 || decimals > 9) {
        return QString::number(value, 'g', 6);
    }
    return QString::number(value, 'f', decimals);
}

// A usable range: ordered, finite, not empty.
void SanitiseRange(double& minimum, double& maximum) {
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || !std::isfinite(maximum - minimum)) {
        minimum = 0.0;
        maximum = 1.0;
    }
    if (minimum > maximum) {
        std::swap(minimum, maximum);
    }
    if (maximum - minimum <= std::max(std::fabs(maximum) * 1e-12, 1e-100)) {
        minimum -= std::max(1.0, std::fabs(minimum) * 0.01);
        maximum += std::max(1.0, std::fabs(maximum) * 0.01);
    }
    if (!std::isfinite(maximum - minimum)) {
        minimum = 0.0;
        maximum = 1.0;
    }
}

// Range and ticks of one Y axis for a plot `height` pixels high.
void LayYAxis(const ChartYAxis& axis, const Extent& data, double height, double lineHeight, double& minimum,
              double& maximum, std::vector<ChartTick>& ticks) {
    const double target = std::max(2.0, std::floor(height / (lineHeight * 2.0)));
    double step = 1.0;
    if (axis.autoRange) {
        minimum = data.Valid() ? data.minimum : 0.0;
        maximum = data.Valid() ? data.maximum : 1.0;
        SanitiseRange(minimum, maximum);
        step = NiceStep(maximum - minimum, target);
        const double roundedMinimum = std::floor(minimum / step) * step;
        const double roundedMaximum = std::ceil(maximum / step) * step;
        if (std::isfinite(roundedMaximum - roundedMinimum)) {
            minimum = roundedMinimum;
            maximum = roundedMaximum;
        }
    } else {
        minimum = axis.minimum;
        maximum = axis.maximum;
        SanitiseRange(minimum, maximum);
        step = NiceStep(maximum - minimum, target);
    }
    ticks.clear();
    if (!axis.valueLabels.empty()) {
        const double slack = (maximum - minimum) * 1e-9;
        for (const ChartValueLabel& label : axis.valueLabels) {
            if (label.value >= minimum - slack && label.value <= maximum + slack) {
                ticks.push_back(ChartTick{label.value, 0.0, label.text, {}});
            }
        }
        return;
    }
    const double first = std::ceil(minimum / step - 1e-9);
    const double last = std::floor(maximum / step + 1e-9);
    if (!std::isfinite(first) || !std::isfinite(last) || last - first > kMaxTicks) {
        return;
    }
    for (double k = first; k <= last; k += 1.0) {
        const double value = k == 0.0 ? 0.0 : k * step;
        ticks.push_back(ChartTick{value, 0.0, FormatTickNumber(value, step), {}});
    }
}

// Time steps the axis may use, in seconds.
constexpr double kTimeSteps[] = {1,     2,     5,      10,     15,      30,      60,      120,
                                 300,   600,   900,    1800,   3600,    7200,    10800,   21600,
                                 43200, 86400, 172800, 604800, 1209600, 2419200, 7257600, 31536000};

QString TimeLabel(const QDateTime& time, double step) {
    if (step < 60) {
        return time.toString(QStringLiteral("hh:mm:ss"));
    }
    if (step < 86400) {
        return time.toString(QStringLiteral("hh:mm"));
    }
    return QLocale().toString(time.date(), QLocale::ShortFormat);
}

void LayTimeAxis(const ChartState& state, ChartLayout& layout, const QFontMetricsF& metrics, bool dateLine) {
    const double unit = std::max(1, state.timeUnit);
    const double t0 = static_cast<double>(state.timeBase) + layout.xMinimum * unit;
    const double t1 = static_cast<double>(state.timeBase) + layout.xMaximum * unit;
    if (!(std::fabs(t0) < 1e12 && std::fabs(t1) < 1e12)) {
        return;  // beyond any calendar worth labelling
    }
    const double width = layout.plot.width();
    const double span = t1 - t0;
    const QString dateSample = QLocale().toString(QDate(2000, 12, 28), QLocale::ShortFormat);
    double step = 0.0;
    for (double candidate : kTimeSteps) {
        const QString sample = candidate < 60      ? QStringLiteral("00:00:00")
                               : candidate < 86400 ? QStringLiteral("00:00")
                                                   : dateSample;
        if (candidate / span * width >= metrics.horizontalAdvance(sample) * 1.4 + 6) {
            step = candidate;
            break;
        }
    }
    if (step == 0.0) {
        step = 31536000.0 * NiceStep(span / 31536000.0, std::max(1.0, width / 100.0));
    }
    const auto offset =
        static_cast<double>(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(t0))).offsetFromUtc());
    const double first = std::ceil((t0 + offset) / step - 1e-9) * step - offset;
    QDate previousDate;
    for (int k = 0; k < kMaxTicks; ++k) {
        const double t = first + k * step;
        if (t > t1 + 1e-6) {
            break;
        }
        const QDateTime time = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::llround(t)));
        ChartTick tick;
        tick.value = (t - static_cast<double>(state.timeBase)) / unit;
        tick.pixel = layout.XToPixel(tick.value);
        tick.text = TimeLabel(time, step);
        if (dateLine && step < 86400 && time.date() != previousDate) {
            tick.text2 = QLocale().toString(time.date(), QLocale::ShortFormat);
        }
        previousDate = time.date();
        layout.timeTicks.push_back(std::move(tick));
    }
}

}  // namespace

bool IsChartHole(double y) {
    return y == kChartHole || !std::isfinite(y);
}

double WidestTickText(const std::vector<ChartTick>& ticks, const QFontMetricsF& metrics) {
    double widest = 0.0;
    for (const ChartTick& tick : ticks) {
        widest = std::max(widest, metrics.horizontalAdvance(tick.text));
    }
    return widest;
}

double ChartLayout::XToPixel(double x) const {
    return plot.left() + (x - xMinimum) * plot.width() / (xMaximum - xMinimum);
}

double ChartLayout::PixelToX(double px) const {
    return xMinimum + (px - plot.left()) * (xMaximum - xMinimum) / plot.width();
}

double ChartLayout::YToPixel(int axis, double y) const {
    const auto a = static_cast<std::size_t>(axis);
    return plot.bottom() - (y - yMinimum[a]) * plot.height() / (yMaximum[a] - yMinimum[a]);
}

double ChartLayout::PixelToY(int axis, double py) const {
    const auto a = static_cast<std::size_t>(axis);
    return yMinimum[a] + (plot.bottom() - py) * (yMaximum[a] - yMinimum[a]) / plot.height();
}

ChartLayout ComputeChartLayout(const ChartState& state, const QRect& area) {
    ChartLayout layout;
    layout.secondAxisShown = state.secondAxisShown;
    const QFontMetricsF axisMetrics(state.axisFont);
    const double lineHeight = axisMetrics.height();

    // Header and footer take whole lines at the top and bottom.
    double top = area.top() + kMargin;
    double bottom = area.bottom() + 1 - kMargin;
    if (!state.header.isEmpty()) {
        const double h = QFontMetricsF(state.headerFont).height() * (state.header.count(QLatin1Char('\n')) + 1);
        layout.header = QRectF(area.left() + kMargin, top, area.width() - 2 * kMargin, h);
        top += h + kMargin;
    }
    if (!state.footer.isEmpty()) {
        const double h = QFontMetricsF(state.footerFont).height() * (state.footer.count(QLatin1Char('\n')) + 1);
        bottom -= h;
        layout.footer = QRectF(area.left() + kMargin, bottom, area.width() - 2 * kMargin, h);
        bottom -= kMargin;
    }

    // Ranges from the data.
    Extent xs;
    std::array<Extent, 2> ys;
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
    if (!state.timeAuto) {
        layout.xMinimum = state.timeMinimum;
        layout.xMaximum = state.timeMaximum;
        SanitiseRange(layout.xMinimum, layout.xMaximum);
        low = layout.xMinimum;
        high = layout.xMaximum;
    }
    AddExtents(state.y[0], low, high, xs, ys[0]);
    if (state.secondAxisShown) {
        AddExtents(state.y[1], low, high, xs, ys[1]);
    }
    if (state.timeAuto) {
        layout.xMinimum = xs.Valid() ? xs.minimum : 0.0;
        layout.xMaximum = xs.Valid() ? xs.maximum : 1.0;
        SanitiseRange(layout.xMinimum, layout.xMaximum);
    }

    // Room below the plot for the time labels: a date line when the range crosses midnight.
    const double unit = std::max(1, state.timeUnit);
    bool dateLine = false;
    const double t0 = static_cast<double>(state.timeBase) + layout.xMinimum * unit;
    const double t1 = static_cast<double>(state.timeBase) + layout.xMaximum * unit;
    if (std::fabs(t0) < 1e12 && std::fabs(t1) < 1e12) {
        dateLine = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t0)).date() !=
                   QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t1)).date();
    }
    bottom -= kChartTickLength + kChartGap + lineHeight * (dateLine ? 2 : 1);
    if (!state.timeTitle.isEmpty()) {
        bottom -= lineHeight + kChartGap;
    }
    top += lineHeight / 2;  // the top number is centred on the top edge
    const double plotHeight = std::max(1.0, bottom - top - 1);

    for (int a = 0; a < 2; ++a) {
        const auto i = static_cast<std::size_t>(a);
        if (a == 0 || state.secondAxisShown) {
            LayYAxis(state.y[i], ys[i], plotHeight, lineHeight, layout.yMinimum[i], layout.yMaximum[i],
                     layout.yTicks[i]);
        }
    }

    // Left and right: numbers, ticks and titles of the Y axes; half a time label at least.
    const double halfLabel = axisMetrics.horizontalAdvance(QStringLiteral("00:00")) / 2 + kMargin;
    double left = area.left() + kMargin + WidestTickText(layout.yTicks[0], axisMetrics) + kChartGap + kChartTickLength;
    if (!state.y[0].title.isEmpty()) {
        left += lineHeight + kChartGap;
    }
    left = std::max(left, area.left() + halfLabel);
    double right = area.right() - kMargin;
    if (state.secondAxisShown) {
        right -= WidestTickText(layout.yTicks[1], axisMetrics) + kChartGap + kChartTickLength;
        if (!state.y[1].title.isEmpty()) {
            right -= lineHeight + kChartGap;
        }
    }
    right = std::min(right, area.right() - halfLabel);
    left = std::floor(left);
    right = std::max(left + 1, std::floor(right));
    top = std::floor(top);
    layout.plot = QRectF(left, top, right - left, std::floor(top + plotHeight) - top);

    for (int a = 0; a < 2; ++a) {
        std::vector<ChartTick>& ticks = layout.yTicks[static_cast<std::size_t>(a)];
        for (ChartTick& tick : ticks) {
            tick.pixel = layout.YToPixel(a, tick.value);
        }
        // Labels too close to the one below them are left out (value labels on a short axis).
        std::sort(ticks.begin(), ticks.end(), [](const ChartTick& p, const ChartTick& q) { return p.pixel > q.pixel; });
        std::vector<ChartTick> kept;
        for (ChartTick& tick : ticks) {
            if (kept.empty() || kept.back().pixel - tick.pixel >= lineHeight) {
                kept.push_back(std::move(tick));
            }
        }
        ticks = std::move(kept);
    }
    LayTimeAxis(state, layout, axisMetrics, dateLine);
    return layout;
}

}  // namespace svu
