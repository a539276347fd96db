#pragma once

// The chart widget of the graph item and the historic graph. Batch changes between
// SetRepaint(false) and SetRepaint(true) so that they repaint once.

#include <QDateTime>
#include <QImage>
#include <QWidget>

#include "gadgets/ChartLayout.h"

namespace svu {

/// A chart widget. Batch changes between SetRepaint(false) and SetRepaint(true) to repaint once.
class Chart2D : public QWidget {
    Q_OBJECT

public:
    explicit Chart2D(QWidget* parent = nullptr);

    /// Off: changes do not repaint. On: repaints once if anything changed while off.
    void SetRepaint(bool on);
    bool RepaintEnabled() const { return repaint_; }

    /// Replaces a data set's points (missing Y values are holes).
    void SetPoints(ChartAxis axis, int set, std::vector<double> x, std::vector<double> y);
    /// Resizes a data set; new points have X 0 and are holes.
    void SetPointCount(ChartAxis axis, int set, int count);
    int PointCount(ChartAxis axis, int set) const;
    void SetX(ChartAxis axis, int set, int index, double x);
    void SetY(ChartAxis axis, int set, int index, double y);
    /// Copies `count` Y values (at most the set's point count) from `values`.
    void SetYData(ChartAxis axis, int set, const double* values, int count);
    void SetYData(ChartAxis axis, int set, const std::vector<double>& values) {
        SetYData(axis, set, values.data(), static_cast<int>(values.size()));
    }
    /// Removes every data set of an axis.
    void ClearData(ChartAxis axis);
    void SetLineColour(ChartAxis axis, int set, const QColor& colour);
    void SetLineWidth(ChartAxis axis, int set, int width);

    /// Time of X = 0.
    void SetTimeBase(TimeT time);
    void SetTimeBase(const QDateTime& time);
    TimeT TimeBase() const { return state_.timeBase; }
    /// Seconds per X unit.
    void SetTimeUnit(int seconds);
    /// Shows X from `minimum` to `maximum` (time units); SetTimeAuto shows all the data.
    void SetTimeRange(double minimum, double maximum);
    void SetTimeAuto();

    /// Fixed range of a Y axis (swapped when given the wrong way round).
    void SetAxisRange(ChartAxis axis, double minimum, double maximum);
    /// Range of a Y axis from its data, rounded out to whole ticks.
    void SetAxisAuto(ChartAxis axis);
    void SetAxisTitle(ChartAxis axis, const QString& title);
    void SetAxisGrid(ChartAxis axis, bool on);
    void SetAxisColour(ChartAxis axis, const QColor& colour);
    void AddValueLabel(ChartAxis axis, double value, const QString& text);
    void ClearValueLabels(ChartAxis axis);
    void SetSecondAxisShown(bool shown);

    void SetHeader(const QString& text, Qt::Alignment alignment = Qt::AlignHCenter);
    void SetFooter(const QString& text, Qt::Alignment alignment = Qt::AlignHCenter);
    void SetHeaderFont(const QFont& font);
    void SetFooterFont(const QFont& font);
    void SetAxisFont(const QFont& font);
    void SetBackgroundColour(const QColor& colour);
    void SetPlotBackgroundColour(const QColor& colour);
    void SetForegroundColour(const QColor& colour);
    void SetTextColour(const QColor& colour);

    /// Left-drag over the plot zooms the time axis; double-click shows all again.
    void SetZoomEnabled(bool on) { zoomEnabled_ = on; }

    const ChartState& State() const { return state_; }
    /// The layout at the widget's current size.
    ChartLayout Layout() const;
    /// Maps a widget pixel to time and values.
    ChartPosition MapPixel(const QPoint& pixel) const;
    /// The chart drawn at `size` (for printing, the clipboard and tests).
    QImage RenderToImage(const QSize& size) const;
    /// Puts the chart's picture on the clipboard.
    void CopyToClipboard() const;

signals:
    /// A mouse button was released over the chart.
    void MouseReleased(const QPoint& pixel, Qt::MouseButton button);
    /// The time range changed through the mouse.
    void ZoomChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    ChartSeries* Series(ChartAxis axis, int set, bool create);
    ChartYAxis* YAxis(ChartAxis axis);
    void Changed();

    ChartState state_;
    bool repaint_ = true;
    bool pending_ = false;
    bool zoomEnabled_ = false;
    bool dragging_ = false;
    int dragStart_ = 0;
    int dragEnd_ = 0;
};

}  // namespace svu
