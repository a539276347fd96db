// Layout, decimation and painting of a chart: everything that needs no window.

#include "gadgets/ChartLayout.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace svu {

namespace {

constexpr double kMargin = 4.0;
constexpr double kTickLength = 4.0;
constexpr double kGap = 3.0;
constexpr int kMaxTicks = 200;
// Pixels beyond the plot at which off-plot values are held, so huge values cannot upset drawing.
constexpr double kFarOff = 100000.0;
constexpr double kFarOffX = 1e12;

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

double WidestText(const std::vector<ChartTick>& ticks, const QFontMetricsF& metrics) {
    double widest = 0.0;
    for (const ChartTick& tick : ticks) {
        widest = std::max(widest, metrics.horizontalAdvance(tick.text));
    }
    return widest;
}

}  // namespace

bool IsChartHole(double y) {
    return y == kChartHole || !std::isfinite(y);
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
    bottom -= kTickLength + kGap + lineHeight * (dateLine ? 2 : 1);
    if (!state.timeTitle.isEmpty()) {
        bottom -= lineHeight + kGap;
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
    double left = area.left() + kMargin + WidestText(layout.yTicks[0], axisMetrics) + kGap + kTickLength;
    if (!state.y[0].title.isEmpty()) {
        left += lineHeight + kGap;
    }
    left = std::max(left, area.left() + halfLabel);
    double right = area.right() - kMargin;
    if (state.secondAxisShown) {
        right -= WidestText(layout.yTicks[1], axisMetrics) + kGap + kTickLength;
        if (!state.y[1].title.isEmpty()) {
            right -= lineHeight + kGap;
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

std::vector<QPolygonF> DecimateSeries(const double* x, const double* y, std::size_t count, const ChartLayout& layout,
                                      int axis) {
    std::vector<QPolygonF> lines;
    const double left = layout.plot.left();
    const double right = layout.plot.right();
    const double top = layout.plot.top() - kFarOff;
    const double bottom = layout.plot.bottom() + kFarOff;
    const auto leftColumn = static_cast<int64_t>(std::floor(left)) - 1;
    const auto rightColumn = static_cast<int64_t>(std::floor(right)) + 1;

    struct Point {
        double px;
        double py;
        std::size_t index;
    };
    // The points of the pixel column being collected.
    struct Bucket {
        bool active = false;
        int64_t column = 0;
        Point first{}, last{}, low{}, high{};
    } bucket;
    QPolygonF line;
    bool pendingValid = false;
    Point pending{};  // last point of an off-plot run, joined to the next point at the plot's edge

    auto atEdge = [](const Point& a, const Point& b, double edge) {
        if (a.px == b.px) {
            return QPointF(edge, a.py);
        }
        const double t = (edge - a.px) / (b.px - a.px);
        return QPointF(edge, a.py + t * (b.py - a.py));
    };
    auto edgeOf = [&](double px) { return px < left ? left - 1 : right + 1; };
    // Joins the held off-plot point to `p` where their segment crosses the plot's edges.
    auto joinPending = [&](const Point& p, bool pOutside) {
        if (!pendingValid) {
            return;
        }
        pendingValid = false;
        line.append(atEdge(pending, p, edgeOf(pending.px)));
        if (pOutside && edgeOf(p.px) != edgeOf(pending.px)) {
            line.append(atEdge(pending, p, edgeOf(p.px)));
        }
    };
    auto flush = [&]() {
        if (!bucket.active) {
            return;
        }
        bucket.active = false;
        if (bucket.column == leftColumn || bucket.column == rightColumn) {
            if (pendingValid) {
                joinPending(bucket.first, true);
            } else if (!line.isEmpty()) {
                const QPointF& prev = line.back();
                line.append(atEdge(Point{prev.x(), prev.y(), 0}, bucket.first, edgeOf(bucket.first.px)));
            }
            pending = bucket.last;
            pendingValid = true;
            return;
        }
        std::array<const Point*, 4> order{&bucket.first, &bucket.low, &bucket.high, &bucket.last};
        std::sort(order.begin(), order.end(), [](const Point* a, const Point* b) { return a->index < b->index; });
        std::size_t previous = std::numeric_limits<std::size_t>::max();
        for (const Point* p : order) {
            if (p->index != previous) {
                joinPending(*p, false);
                line.append(QPointF(static_cast<double>(bucket.column), std::floor(p->py)));
                previous = p->index;
            }
        }
    };
    auto endLine = [&]() {
        flush();
        pendingValid = false;
        if (!line.isEmpty()) {
            lines.push_back(std::move(line));
            line = QPolygonF();
        }
    };

    const auto a = static_cast<std::size_t>(axis);
    const double xScale = layout.plot.width() / (layout.xMaximum - layout.xMinimum);
    const double yScale = layout.plot.height() / (layout.yMaximum[a] - layout.yMinimum[a]);
    if (!std::isfinite(xScale) || !std::isfinite(yScale)) {
        return lines;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (IsChartHole(y[i]) || !std::isfinite(x[i])) {
            endLine();
            continue;
        }
        const double px = left + (x[i] - layout.xMinimum) * xScale;
        const double py = std::clamp(layout.plot.bottom() - (y[i] - layout.yMinimum[a]) * yScale, top, bottom);
        const int64_t column = px < left         ? leftColumn
                               : px >= right + 1 ? rightColumn
                                                 : static_cast<int64_t>(std::floor(px));
        const Point p{std::clamp(px, left - kFarOffX, right + kFarOffX), py, i};
        if (bucket.active && bucket.column == column) {
            bucket.last = p;
            if (p.py > bucket.low.py) {  // pixel rows grow downwards
                bucket.low = p;
            }
            if (p.py < bucket.high.py) {
                bucket.high = p;
            }
        } else {
            flush();
            bucket = Bucket{true, column, p, p, p, p};
        }
    }
    endLine();
    return lines;
}

void PaintChart(QPainter& painter, const QRect& area, const ChartState& state) {
    const ChartLayout layout = ComputeChartLayout(state, area);
    const QRectF& plot = layout.plot;
    const QFontMetricsF axisMetrics(state.axisFont);
    const double lineHeight = axisMetrics.height();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(area, state.background);

    const QColor text = state.textColour.isValid() ? state.textColour : state.foreground;
    painter.setPen(text);
    if (!state.header.isEmpty()) {
        painter.setFont(state.headerFont);
        painter.drawText(layout.header, static_cast<int>(state.headerAlignment | Qt::AlignVCenter), state.header);
    }
    if (!state.footer.isEmpty()) {
        painter.setFont(state.footerFont);
        painter.drawText(layout.footer, static_cast<int>(state.footerAlignment | Qt::AlignVCenter), state.footer);
    }
    const QRectF inside(plot.left(), plot.top(), plot.width() + 1, plot.height() + 1);
    painter.fillRect(inside, state.plotBackground.isValid() ? state.plotBackground : state.background);

    const int axes = state.secondAxisShown ? 2 : 1;
    auto axisColour = [&](int a) {
        const QColor& c = state.y[static_cast<std::size_t>(a)].colour;
        return c.isValid() ? c : state.foreground;
    };

    // Grids.
    if (state.timeGrid) {
        painter.setPen(QPen(state.foreground, 0, Qt::DotLine));
        for (const ChartTick& tick : layout.timeTicks) {
            painter.drawLine(QPointF(std::floor(tick.pixel), plot.top()),
                             QPointF(std::floor(tick.pixel), plot.bottom()));
        }
    }
    for (int a = 0; a < axes; ++a) {
        if (state.y[static_cast<std::size_t>(a)].grid) {
            painter.setPen(QPen(axisColour(a), 0, Qt::DotLine));
            for (const ChartTick& tick : layout.yTicks[static_cast<std::size_t>(a)]) {
                const double py = std::floor(tick.pixel);
                painter.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
            }
        }
    }

    // The lines, clipped to the plot.
    painter.save();
    painter.setClipRect(inside);
    for (int a = 0; a < axes; ++a) {
        for (const ChartSeries& s : state.y[static_cast<std::size_t>(a)].sets) {
            painter.setPen(
                QPen(s.colour, std::max(0, s.width) <= 1 ? 0 : s.width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
            const std::size_t n = std::min(s.x.size(), s.y.size());
            for (const QPolygonF& line : DecimateSeries(s.x.data(), s.y.data(), n, layout, a)) {
                if (line.size() == 1) {
                    painter.drawPoint(line.front());
                } else {
                    painter.drawPolyline(line);
                }
            }
        }
    }
    painter.restore();

    // Frame, ticks and labels.
    painter.setPen(QPen(state.foreground, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(plot.left() - 1, plot.top() - 1, plot.width() + 2, plot.height() + 2));
    painter.setFont(state.axisFont);
    const double labelTop = plot.bottom() + 1 + kTickLength + kGap;
    for (const ChartTick& tick : layout.timeTicks) {
        const double px = std::floor(tick.pixel);
        painter.drawLine(QPointF(px, plot.bottom() + 1), QPointF(px, plot.bottom() + kTickLength));
        const double w = axisMetrics.horizontalAdvance(tick.text) + 2;
        painter.drawText(QRectF(px - w / 2, labelTop, w, lineHeight), Qt::AlignCenter, tick.text);
        if (!tick.text2.isEmpty()) {
            const double w2 = axisMetrics.horizontalAdvance(tick.text2) + 2;
            const double x2 = std::clamp(px - w2 / 2, double(area.left()), area.right() + 1 - w2);
            painter.drawText(QRectF(x2, labelTop + lineHeight, w2, lineHeight), Qt::AlignCenter, tick.text2);
        }
    }
    if (!state.timeTitle.isEmpty()) {
        const bool dateLine = std::any_of(layout.timeTicks.begin(), layout.timeTicks.end(),
                                          [](const ChartTick& tick) { return !tick.text2.isEmpty(); });
        const double titleTop = labelTop + lineHeight * (dateLine ? 2 : 1);
        painter.drawText(QRectF(plot.left(), titleTop + kGap, plot.width(), lineHeight), Qt::AlignCenter,
                         state.timeTitle);
    }
    for (int a = 0; a < axes; ++a) {
        const bool isLeft = a == 0;
        const double edge = isLeft ? plot.left() - 1 : plot.right() + 1;
        const double sign = isLeft ? -1.0 : 1.0;
        painter.setPen(QPen(axisColour(a), 0));
        const double labelWidth = WidestText(layout.yTicks[static_cast<std::size_t>(a)], axisMetrics) + 2;
        for (const ChartTick& tick : layout.yTicks[static_cast<std::size_t>(a)]) {
            const double py = std::floor(tick.pixel);
            painter.drawLine(QPointF(edge, py), QPointF(edge + sign * kTickLength, py));
            const double x0 = isLeft ? edge - kTickLength - kGap - labelWidth : edge + kTickLength + kGap;
            painter.drawText(QRectF(x0, py - lineHeight / 2, labelWidth, lineHeight),
                             static_cast<int>((isLeft ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter), tick.text);
        }
        const QString& title = state.y[static_cast<std::size_t>(a)].title;
        if (!title.isEmpty()) {
            const double cx = edge + sign * (kTickLength + kGap + labelWidth + kGap + lineHeight / 2);
            painter.save();
            painter.translate(cx, plot.center().y());
            painter.rotate(isLeft ? -90 : 90);
            painter.drawText(QRectF(-plot.height() / 2, -lineHeight / 2, plot.height(), lineHeight), Qt::AlignCenter,
                             axisMetrics.elidedText(title, Qt::ElideRight, plot.height()));
            painter.restore();
        }
    }
    painter.restore();
}

}  // namespace svu
