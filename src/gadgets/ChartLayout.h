#pragma once

// What a trend chart shows and where its parts go: point sets with holes on a time axis, two Y
// axes with fixed or automatic ranges and value labels, colours, fonts and grids, and the layout
// computed for one size (ChartPainter draws it). Nothing here needs a window, so a chart can be
// drawn into any image for printing, the clipboard and tests.

#include <QColor>
#include <QFont>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <array>
#include <limits>
#include <vector>

#include "framework/LocalTime.h"

class QFontMetricsF;

namespace svu {

/// Y value of a point without data; the line breaks there. NaN and infinities count as holes too.
inline constexpr double kChartHole = std::numeric_limits<double>::max();

/// True for kChartHole and for values that are not finite.
bool IsChartHole(double y);

/// The chart's axes. Data sets belong to Y1 (left) or Y2 (right).
enum class ChartAxis { Time = 0, Y1 = 1, Y2 = 2 };

/// A text shown at a value of a Y axis instead of numbers (e.g. "N" at 360 on a direction axis).
struct ChartValueLabel {
    double value = 0.0;
    QString text;
};

/// One line: X in time units from the time base (ascending), Y values or holes.
struct ChartSeries {
    std::vector<double> x;
    std::vector<double> y;
    QColor colour = Qt::black;
    int width = 1;
};

/// One Y axis with the data sets drawn against it.
struct ChartYAxis {
    bool autoRange = true;
    double minimum = 0.0;
    double maximum = 1.0;
    QString title;
    bool grid = false;
    QColor colour;                             // axis line and numbers; invalid means the foreground colour
    std::vector<ChartValueLabel> valueLabels;  // when not empty, shown instead of numbers
    std::vector<ChartSeries> sets;
};

/// Everything a chart shows.
struct ChartState {
    TimeT timeBase = 0;    // time of X = 0
    int timeUnit = 1;      // seconds per X unit (1, or 60 for minutes)
    bool timeAuto = true;  // X range from the data, else timeMinimum..timeMaximum
    double timeMinimum = 0.0;
    double timeMaximum = 1.0;
    bool timeGrid = false;
    QString timeTitle;
    std::array<ChartYAxis, 2> y;  // Y1, Y2
    bool secondAxisShown = true;
    QString header;
    QString footer;
    Qt::Alignment headerAlignment = Qt::AlignHCenter;
    Qt::Alignment footerAlignment = Qt::AlignHCenter;
    QFont headerFont;
    QFont footerFont;
    QFont axisFont;
    QColor background = QColor(192, 192, 192);
    QColor plotBackground;          // invalid means the background colour
    QColor foreground = Qt::black;  // frame, axes, numbers, titles
    QColor textColour;              // header and footer; invalid means the foreground colour
};

/// A tick of an axis: its value, its pixel position along the axis and its label.
struct ChartTick {
    double value = 0.0;
    double pixel = 0.0;
    QString text;
    QString text2;  // second line (the date under a time)
};

/// Where everything goes for one chart size, and the mapping between data and pixels.
struct ChartLayout {
    QRectF plot;
    QRectF header;
    QRectF footer;
    double xMinimum = 0.0;
    double xMaximum = 1.0;
    std::array<double, 2> yMinimum{0.0, 0.0};
    std::array<double, 2> yMaximum{1.0, 1.0};
    std::vector<ChartTick> timeTicks;
    std::array<std::vector<ChartTick>, 2> yTicks;
    bool secondAxisShown = true;

    double XToPixel(double x) const;
    double PixelToX(double px) const;
    /// `axis` 0 for Y1, 1 for Y2.
    double YToPixel(int axis, double y) const;
    double PixelToY(int axis, double py) const;
};

/// Lays a chart out in `area`: ranges, ticks and labels, plot rectangle.
ChartLayout ComputeChartLayout(const ChartState& state, const QRect& area);

/// Length of the tick marks and the gap between a tick and its label, in pixels: the layout leaves
/// room for them and the painter draws them.
inline constexpr double kChartTickLength = 4.0;
inline constexpr double kChartGap = 3.0;

/// Width of the widest label of `ticks` in `metrics`.
double WidestTickText(const std::vector<ChartTick>& ticks, const QFontMetricsF& metrics);

/// A pixel mapped into the chart.
struct ChartPosition {
    bool inPlot = false;
    double x = 0.0;  // time units from the time base
    TimeT time = 0;  // x as a time, to the second
    double y1 = 0.0;
    double y2 = 0.0;
};

}  // namespace svu
