#pragma once

// Drawing a chart laid out by ComputeChartLayout. Nothing here needs a window.
//
// Drawing costs one pass over the points and then at most four points per pixel column: each
// column keeps its first, lowest, highest and last point, so a million points draw like a few
// thousand and the line still shows every peak.

#include <QPolygonF>
#include <QRect>
#include <cstddef>
#include <vector>

#include "gadgets/ChartLayout.h"

class QPainter;

namespace svu {

/// Draws a chart into `area` of any paint device.
void PaintChart(QPainter& painter, const QRect& area, const ChartState& state);

/// The pixel polylines that draw one series on Y axis `axis` (0 or 1) of `layout`, in one pass
/// over the points (X ascending): at most the first, lowest, highest and last point of every
/// pixel column, placed on that column and row; all points left or right of the plot share one
/// column each and join the plot where their line crosses its edge; a hole ends a polyline.
std::vector<QPolygonF> DecimateSeries(const double* x, const double* y, std::size_t count, const ChartLayout& layout,
                                      int axis);

}  // namespace svu
