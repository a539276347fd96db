// Drawing a laid-out chart: the series decimated to what the pixels can show, then grids, lines,
// frame, ticks and titles.

#include "gadgets/ChartPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace svu {

namespace {

// Pixels beyond the plot at which off-plot values are held, so huge values cannot upset drawing.
constexpr double kFarOff = 100000.0;
constexpr double kFarOffX = 1e12;

}  // namespace

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
    const double labelTop = plot.bottom() + 1 + kChartTickLength + kChartGap;
    for (const ChartTick& tick : layout.timeTicks) {
        const double px = std::floor(tick.pixel);
        painter.drawLine(QPointF(px, plot.bottom() + 1), QPointF(px, plot.bottom() + kChartTickLength));
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
        painter.drawText(QRectF(plot.left(), titleTop + kChartGap, plot.width(), lineHeight), Qt::AlignCenter,
                         state.timeTitle);
    }
    for (int a = 0; a < axes; ++a) {
        const bool isLeft = a == 0;
        const double edge = isLeft ? plot.left() - 1 : plot.right() + 1;
        const double sign = isLeft ? -1.0 : 1.0;
        painter.setPen(QPen(axisColour(a), 0));
        const double labelWidth = WidestTickText(layout.yTicks[static_cast<std::size_t>(a)], axisMetrics) + 2;
        for (const ChartTick& tick : layout.yTicks[static_cast<std::size_t>(a)]) {
            const double py = std::floor(tick.pixel);
            painter.drawLine(QPointF(edge, py), QPointF(edge + sign * kChartTickLength, py));
            const double x0 =
                isLeft ? edge - kChartTickLength - kChartGap - labelWidth : edge + kChartTickLength + kChartGap;
            painter.drawText(QRectF(x0, py - lineHeight / 2, labelWidth, lineHeight),
                             static_cast<int>((isLeft ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter), tick.text);
        }
        const QString& title = state.y[static_cast<std::size_t>(a)].title;
        if (!title.isEmpty()) {
            const double cx = edge + sign * (kChartTickLength + kChartGap + labelWidth + kChartGap + lineHeight / 2);
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
