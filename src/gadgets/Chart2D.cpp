#include "gadgets/Chart2D.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "gadgets/ChartPainter.h"

namespace svu {

namespace {

// Data sets per axis are made on demand; far more than any window uses, low enough that a wrong
// index cannot exhaust memory.
constexpr int kMaxSets = 64;

}  // namespace

Chart2D::Chart2D(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Chart2D::Changed() {
    if (repaint_) {
        update();
    } else {
        pending_ = true;
    }
}

void Chart2D::SetRepaint(bool on) {
    repaint_ = on;
    if (on && pending_) {
        pending_ = false;
        update();
    }
}

ChartYAxis* Chart2D::YAxis(ChartAxis axis) {
    switch (axis) {
        case ChartAxis::Y1:
            return &state_.y[0];
        case ChartAxis::Y2:
            return &state_.y[1];
        default:
            return nullptr;
    }
}

ChartSeries* Chart2D::Series(ChartAxis axis, int set, bool create) {
    ChartYAxis* y = YAxis(axis);
    if (y == nullptr || set < 0 || set >= kMaxSets) {
        return nullptr;
    }
    if (static_cast<std::size_t>(set) >= y->sets.size()) {
        if (!create) {
            return nullptr;
        }
        y->sets.resize(static_cast<std::size_t>(set) + 1);
    }
    return &y->sets[static_cast<std::size_t>(set)];
}

void Chart2D::SetPoints(ChartAxis axis, int set, std::vector<double> x, std::vector<double> y) {
    if (ChartSeries* s = Series(axis, set, true)) {
        y.resize(x.size(), kChartHole);
        s->x = std::move(x);
        s->y = std::move(y);
        Changed();
    }
}

void Chart2D::SetPointCount(ChartAxis axis, int set, int count) {
    if (ChartSeries* s = Series(axis, set, true)) {
        const auto n = static_cast<std::size_t>(std::max(0, count));
        s->x.resize(n, 0.0);
        s->y.resize(n, kChartHole);
        Changed();
    }
}

int Chart2D::PointCount(ChartAxis axis, int set) const {
    const std::size_t a = axis == ChartAxis::Y1 ? 0 : 1;
    if (axis == ChartAxis::Time || set < 0 || static_cast<std::size_t>(set) >= state_.y[a].sets.size()) {
        return 0;
    }
    return static_cast<int>(state_.y[a].sets[static_cast<std::size_t>(set)].x.size());
}

void Chart2D::SetX(ChartAxis axis, int set, int index, double x) {
    ChartSeries* s = Series(axis, set, false);
    if (s != nullptr && index >= 0 && static_cast<std::size_t>(index) < s->x.size()) {
        s->x[static_cast<std::size_t>(index)] = x;
        Changed();
    }
}

void Chart2D::SetY(ChartAxis axis, int set, int index, double y) {
    ChartSeries* s = Series(axis, set, false);
    if (s != nullptr && index >= 0 && static_cast<std::size_t>(index) < s->y.size()) {
        s->y[static_cast<std::size_t>(index)] = y;
        Changed();
    }
}

void Chart2D::SetYData(ChartAxis axis, int set, const double* values, int count) {
    ChartSeries* s = Series(axis, set, false);
    if (s != nullptr && values != nullptr && count > 0) {
        const auto n = std::min(static_cast<std::size_t>(count), s->y.size());
        std::copy(values, values + n, s->y.begin());
        Changed();
    }
}

void Chart2D::ClearData(ChartAxis axis) {
    if (ChartYAxis* y = YAxis(axis)) {
        y->sets.clear();
        Changed();
    }
}

void Chart2D::SetLineColour(ChartAxis axis, int set, const QColor& colour) {
    if (ChartSeries* s = Series(axis, set, true)) {
        s->colour = colour;
        Changed();
    }
}

void Chart2D::SetLineWidth(ChartAxis axis, int set, int width) {
    if (ChartSeries* s = Series(axis, set, true)) {
        s->width = std::clamp(width, 1, 32);
        Changed();
    }
}

void Chart2D::SetTimeBase(TimeT time) {
    state_.timeBase = time;
    Changed();
}

void Chart2D::SetTimeBase(const QDateTime& time) {
    SetTimeBase(static_cast<TimeT>(time.toSecsSinceEpoch()));
}

void Chart2D::SetTimeUnit(int seconds) {
    state_.timeUnit = std::max(1, seconds);
    Changed();
}

void Chart2D::SetTimeRange(double minimum, double maximum) {
    state_.timeAuto = false;
    state_.timeMinimum = std::min(minimum, maximum);
    state_.timeMaximum = std::max(minimum, maximum);
    Changed();
}

void Chart2D::SetTimeAuto() {
    state_.timeAuto = true;
    Changed();
}

void Chart2D::SetAxisRange(ChartAxis axis, double minimum, double maximum) {
    if (ChartYAxis* y = YAxis(axis)) {
        y->autoRange = false;
        y->minimum = std::min(minimum, maximum);
        y->maximum = std::max(minimum, maximum);
        Changed();
    }
}

void Chart2D::SetAxisAuto(ChartAxis axis) {
    if (ChartYAxis* y = YAxis(axis)) {
        y->autoRange = true;
        Changed();
    }
}

void Chart2D::SetAxisTitle(ChartAxis axis, const QString& title) {
    if (ChartYAxis* y = YAxis(axis)) {
        y->title = title;
    } else {
        state_.timeTitle = title;
    }
    Changed();
}

void Chart2D::SetAxisGrid(ChartAxis axis, bool on) {
    if (ChartYAxis* y = YAxis(axis)) {
        y->grid = on;
    } else {
        state_.timeGrid = on;
    }
    Changed();
}

void Chart2D::SetAxisColour(ChartAxis axis, const QColor& colour) {
    if (ChartYAxis* y = YAxis(axis)) {
        y->colour = colour;
        Changed();
    }
}

void Chart2D::AddValueLabel(ChartAxis axis, double value, const QString& text) {
    if (ChartYAxis* y = YAxis(axis)) {
        y->valueLabels.push_back(ChartValueLabel{value, text});
        Changed();
    }
}

void Chart2D::ClearValueLabels(ChartAxis axis) {
    if (ChartYAxis* y = YAxis(axis)) {
        y->valueLabels.clear();
        Changed();
    }
}

void Chart2D::SetSecondAxisShown(bool shown) {
    state_.secondAxisShown = shown;
    Changed();
}

void Chart2D::SetHeader(const QString& text, Qt::Alignment alignment) {
    state_.header = text;
    state_.headerAlignment = alignment & Qt::AlignHorizontal_Mask;
    Changed();
}

void Chart2D::SetFooter(const QString& text, Qt::Alignment alignment) {
    state_.footer = text;
    state_.footerAlignment = alignment & Qt::AlignHorizontal_Mask;
    Changed();
}

void Chart2D::SetHeaderFont(const QFont& font) {
    state_.headerFont = font;
    Changed();
}

void Chart2D::SetFooterFont(const QFont& font) {
    state_.footerFont = font;
    Changed();
}

void Chart2D::SetAxisFont(const QFont& font) {
    state_.axisFont = font;
    Changed();
}

void Chart2D::SetBackgroundColour(const QColor& colour) {
    state_.background = colour;
    Changed();
}

void Chart2D::SetPlotBackgroundColour(const QColor& colour) {
    state_.plotBackground = colour;
    Changed();
}

void Chart2D::SetForegroundColour(const QColor& colour) {
    state_.foreground = colour;
    Changed();
}

void Chart2D::SetTextColour(const QColor& colour) {
    state_.textColour = colour;
    Changed();
}

ChartLayout Chart2D::Layout() const {
    return ComputeChartLayout(state_, rect());
}

ChartPosition Chart2D::MapPixel(const QPoint& pixel) const {
    const ChartLayout layout = Layout();
    ChartPosition position;
    const QRectF inside(layout.plot.left(), layout.plot.top(), layout.plot.width() + 1, layout.plot.height() + 1);
    position.inPlot = inside.contains(pixel);
    position.x = layout.PixelToX(pixel.x());
    position.y1 = layout.PixelToY(0, pixel.y());
    position.y2 = layout.PixelToY(1, pixel.y());
    const double seconds = position.x * state_.timeUnit;
    if (std::isfinite(seconds) && std::fabs(seconds) < 1e15) {
        position.time = state_.timeBase + static_cast<TimeT>(std::llround(seconds));
    }
    return position;
}

QImage Chart2D::RenderToImage(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    QPainter painter(&image);
    PaintChart(painter, QRect(QPoint(0, 0), size), state_);
    return image;
}

void Chart2D::CopyToClipboard() const {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setImage(RenderToImage(size()));
    }
}

void Chart2D::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    PaintChart(painter, rect(), state_);
    if (dragging_) {
        const ChartLayout layout = Layout();
        const int x0 = std::min(dragStart_, dragEnd_);
        const int x1 = std::max(dragStart_, dragEnd_);
        painter.setPen(QPen(state_.foreground, 0, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.drawRect(QRectF(x0, layout.plot.top(), x1 - x0, layout.plot.height()));
    }
}

void Chart2D::mousePressEvent(QMouseEvent* event) {
    if (zoomEnabled_ && event->button() == Qt::LeftButton && MapPixel(event->pos()).inPlot) {
        dragging_ = true;
        dragStart_ = dragEnd_ = event->pos().x();
        return;
    }
    QWidget::mousePressEvent(event);
}

void Chart2D::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        const ChartLayout layout = Layout();
        dragEnd_ =
            std::clamp(event->pos().x(), static_cast<int>(layout.plot.left()), static_cast<int>(layout.plot.right()));
        update();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void Chart2D::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        if (std::abs(dragEnd_ - dragStart_) >= 3) {
            const ChartLayout layout = Layout();
            SetTimeRange(layout.PixelToX(dragStart_), layout.PixelToX(dragEnd_));
            emit ZoomChanged();
        }
        update();
    }
    emit MouseReleased(event->pos(), event->button());
}

void Chart2D::mouseDoubleClickEvent(QMouseEvent* event) {
    if (zoomEnabled_ && event->button() == Qt::LeftButton && !state_.timeAuto) {
        SetTimeAuto();
        emit ZoomChanged();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace svu
