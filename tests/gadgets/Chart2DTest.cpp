#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "gadgets/Chart2D.h"
#include "gadgets/ChartPainter.h"

namespace svu {
namespace {



// A chart with a fixed time range 0..100 and Y1 fixed 0..10, no texts.
ChartState FixedState() {
    ChartState state;
    state.timeAuto = false;
    state.timeMinimum = 0;
    state.timeMaximum = 100;
    state.y[0].autoRange = false;
    state.y[0].minimum = 0;
    state.y[0].maximum = 10;
    state.secondAxisShown = false;
    state.background = Qt::white;
    return state;
}

std::size_t TotalPoints(const std::vector<QPolygonF>& lines) {
    std::size_t n = 0;
    for (const QPolygonF& line : lines) {
        n += static_cast<std::size_t>(line.size());
    }
    return n;
}

TEST(Chart2D, PointsLandInTheirTimeColumnsAndHolesBreakTheLine) {
    ChartState state = FixedState();
    ChartSeries series;
    series.x = {0, 20, 40, 50, 60, 80, 100};
    series.y = {5, 5, 5, kChartHole, 5, 5, 5};
    state.y[0].sets.push_back(series);
    const QRect area(0, 0, 400, 200);
    const ChartLayout layout = ComputeChartLayout(state, area);

    const auto lines = DecimateSeries(series.x.data(), series.y.data(), series.x.size(), layout, 0);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].size(), 3);
    ASSERT_EQ(lines[1].size(), 3);
    EXPECT_EQ(lines[0][1].x(), std::floor(layout.XToPixel(20)));
    EXPECT_EQ(lines[1][0].x(), std::floor(layout.XToPixel(60)));

    QImage image(area.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    PaintChart(painter, area, state);
    painter.end();
    const int row = static_cast<int>(std::floor(layout.YToPixel(0, 5)));
    for (double x : {10.0, 30.0, 70.0, 90.0}) {
        const int column = static_cast<int>(std::floor(layout.XToPixel(x)));
        EXPECT_EQ(image.pixel(column, row), qRgb(0, 0, 0)) << "x " << x;
    }
    // Between the points around the hole (40 and 60) nothing is drawn on that row.
    for (int c = static_cast<int>(layout.XToPixel(40)) + 1; c < static_cast<int>(layout.XToPixel(60)); ++c) {
        EXPECT_EQ(image.pixel(c, row), qRgb(255, 255, 255)) << "column " << c;
    }
}

TEST(Chart2D, AMillionPointsDecimateToAFewPerColumnKeepingPeaks) {
    ChartState state = FixedState();
    state.timeMaximum = 1e6;
    const QRect area(0, 0, 800, 400);
    const ChartLayout layout = ComputeChartLayout(state, area);
    std::vector<double> x(1000000);
    std::vector<double> y(x.size());
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> noise(2.0, 8.0);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = static_cast<double>(i);
        y[i] = noise(rng);
    }
    y[123457] = 9.5;  // one spike must survive
    y[500000] = kChartHole;
    const auto lines = DecimateSeries(x.data(), y.data(), x.size(), layout, 0);
    const double columns = layout.plot.width() + 1;
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_LE(TotalPoints(lines), static_cast<std::size_t>(4 * columns + 8));
    double top = 1e9;
    for (const QPolygonF& line : lines) {
        for (const QPointF& p : line) {
            top = std::min(top, p.y());
            EXPECT_GE(p.x(), layout.plot.left());
            EXPECT_LE(p.x(), layout.plot.right());
        }
    }
    EXPECT_DOUBLE_EQ(top, std::floor(layout.YToPixel(0, 9.5)));
}

TEST(Chart2D, OffPlotPointsJoinAtTheEdges) {
    ChartState state = FixedState();
    state.timeMinimum = 40;
    state.timeMaximum = 60;
    const ChartLayout layout = ComputeChartLayout(state, QRect(0, 0, 400, 200));
    std::vector<double> x{0, 10, 20, 100, 110};
    std::vector<double> y{0, 0, 0, 10, 10};  // rises from 0 at x 20 to 10 at x 100, crossing the plot
    const auto lines = DecimateSeries(x.data(), y.data(), x.size(), layout, 0);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 2);
    EXPECT_EQ(lines[0][0].x(), layout.plot.left() - 1);
    EXPECT_NEAR(layout.PixelToY(0, lines[0][0].y()), 10 * (layout.PixelToX(lines[0][0].x()) - 20) / 80, 1e-6);
    EXPECT_EQ(lines[0][1].x(), layout.plot.right() + 1);
}

TEST(Chart2D, ExtremeValuesDrawWithoutFault) {
    const double huge = std::numeric_limits<double>::max() / 2;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (bool fixed : {false, true}) {
        ChartState state = FixedState();
        state.timeAuto = !fixed;
        state.timeMinimum = -huge;
        state.timeMaximum = huge;
        state.y[0].autoRange = !fixed;
        state.y[0].minimum = huge;
        state.y[0].maximum = -huge;
        state.y[0].sets.push_back(ChartSeries{{-huge, 0, nan, 1, huge, 2}, {huge, -huge, 1, nan, 3, 1e-300}});
        state.y[0].sets.push_back(ChartSeries{{1, 1, 1}, {5, 5, 5}});
        QImage image(200, 100, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintChart(painter, image.rect(), state);
        const ChartLayout layout = ComputeChartLayout(state, image.rect());
        EXPECT_TRUE(std::isfinite(layout.xMaximum - layout.xMinimum));
        EXPECT_TRUE(std::isfinite(layout.yMaximum[0] - layout.yMinimum[0]));
    }
}

TEST(Chart2D, FixedAndAutomaticRanges) {
    ChartState state = FixedState();
    state.timeAuto = true;
    ChartSeries series;
    series.x = {-300, -200, -100, 0};
    series.y = {3.2, kChartHole, 7.9, 5};
    state.y[0].sets.push_back(series);
    state.y[0].autoRange = true;
    state.y[1].sets.push_back(ChartSeries{{-5000, 0}, {1, 2}, Qt::red, 1});  // hidden axis: ignored
    ChartLayout layout = ComputeChartLayout(state, QRect(0, 0, 400, 300));
    EXPECT_EQ(layout.xMinimum, -300);
    EXPECT_EQ(layout.xMaximum, 0);
    EXPECT_LE(layout.yMinimum[0], 3.2);
    EXPECT_GE(layout.yMaximum[0], 7.9);
    ASSERT_GE(layout.yTicks[0].size(), 2u);
    const double step = std::fabs(layout.yTicks[0][0].value - layout.yTicks[0][1].value);
    EXPECT_NEAR(std::remainder(layout.yMinimum[0], step), 0.0, 1e-9);
    EXPECT_NEAR(std::remainder(layout.yMaximum[0], step), 0.0, 1e-9);

    // Zoomed in, the automatic range follows the values shown.
    state.timeAuto = false;
    state.timeMinimum = -150;
    state.timeMaximum = 0;
    layout = ComputeChartLayout(state, QRect(0, 0, 400, 300));
    EXPECT_GT(layout.yMinimum[0], 3.2);

    state.y[0].autoRange = false;
    state.y[0].minimum = 720;  // given the wrong way round
    state.y[0].maximum = 0;
    layout = ComputeChartLayout(state, QRect(0, 0, 400, 300));
    EXPECT_EQ(layout.yMinimum[0], 0);
    EXPECT_EQ(layout.yMaximum[0], 720);
}

TEST(Chart2D, ValueLabelsStandAtTheirValues) {
    ChartState state = FixedState();
    state.secondAxisShown = true;
    state.y[1].autoRange = false;
    state.y[1].minimum = 0;
    state.y[1].maximum = 720;
    const char* names[] = {"N", "E", "S", "W"};
    for (int k = 0; k <= 9; ++k) {  // 810 lies outside the range
        state.y[1].valueLabels.push_back(ChartValueLabel{k * 90.0, QString::fromLatin1(names[k % 4])});
    }
    ChartLayout layout = ComputeChartLayout(state, QRect(0, 0, 400, 500));
    ASSERT_EQ(layout.yTicks[1].size(), 9u);
    for (const ChartTick& tick : layout.yTicks[1]) {
        EXPECT_DOUBLE_EQ(tick.pixel, layout.YToPixel(1, tick.value));
        EXPECT_EQ(tick.text, QString::fromLatin1(names[static_cast<int>(tick.value / 90) % 4]));
    }
    EXPECT_DOUBLE_EQ(layout.YToPixel(1, 0), layout.plot.bottom());
    EXPECT_DOUBLE_EQ(layout.YToPixel(1, 720), layout.plot.top());

    // On a short axis, labels that would overlap are left out, never moved.
    layout = ComputeChartLayout(state, QRect(0, 0, 400, 120));
    EXPECT_LT(layout.yTicks[1].size(), 9u);
    EXPECT_EQ(layout.yTicks[1].front().text, QStringLiteral("N"));
    for (const ChartTick& tick : layout.yTicks[1]) {
        EXPECT_DOUBLE_EQ(tick.pixel, layout.YToPixel(1, tick.value));
    }
}

TEST(Chart2D, TimeTicksFallOnRoundLocalTimes) {
    ChartState state = FixedState();
    state.timeBase = QDateTime(QDate(2024, 7, 1), QTime(14, 7, 13)).toSecsSinceEpoch();
    state.timeMinimum = -3600;
    state.timeMaximum = 0;
    const ChartLayout layout = ComputeChartLayout(state, QRect(0, 0, 600, 200));
    ASSERT_GE(layout.timeTicks.size(), 3u);
    for (const ChartTick& tick : layout.timeTicks) {
        const QDateTime time = QDateTime::fromSecsSinceEpoch(state.timeBase + std::llround(tick.value));
        EXPECT_EQ(time.time().second(), 0);
        EXPECT_EQ(time.time().minute() % 5, 0);
        EXPECT_EQ(tick.text, time.toString(QStringLiteral("hh:mm")));
        EXPECT_DOUBLE_EQ(tick.pixel, layout.XToPixel(tick.value));
    }
}

// Counts paints to show that a suspended chart does not repaint.
class CountingChart : public Chart2D {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        Chart2D::paintEvent(event);
    }
};

TEST(Chart2D, SuspendedRepaintPaintsOnceWhenResumed) {
    CountingChart chart;
    chart.resize(300, 150);
    chart.show();
    QApplication::processEvents();
    chart.paints = 0;
    chart.SetRepaint(false);
    chart.SetPointCount(ChartAxis::Y1, 0, 100);
    for (int i = 0; i < 100; ++i) {
        chart.SetX(ChartAxis::Y1, 0, i, i);
        chart.SetY(ChartAxis::Y1, 0, i, i % 7);
    }
    QApplication::processEvents();
    EXPECT_EQ(chart.paints, 0);
    chart.SetRepaint(true);
    QApplication::processEvents();
    EXPECT_EQ(chart.paints, 1);
    EXPECT_EQ(chart.PointCount(ChartAxis::Y1, 0), 100);
    EXPECT_EQ(chart.PointCount(ChartAxis::Y2, 3), 0);
}

TEST(Chart2D, MapsPixelsToTimeAndValues) {
    Chart2D chart;
    chart.resize(500, 300);
    chart.SetTimeBase(QDateTime(QDate(2024, 1, 10), QTime(12, 0, 0)));
    chart.SetTimeUnit(60);
    chart.SetTimeRange(0, 120);
    chart.SetAxisRange(ChartAxis::Y1, -10, 30);
    chart.SetAxisRange(ChartAxis::Y2, 0, 720);
    const ChartLayout layout = chart.Layout();
    const QPoint pixel(static_cast<int>(layout.XToPixel(60)), static_cast<int>(std::lround(layout.YToPixel(0, 10))));
    const ChartPosition position = chart.MapPixel(pixel);
    EXPECT_TRUE(position.inPlot);
    EXPECT_NEAR(position.x, 60, 120.0 / layout.plot.width());
    EXPECT_NEAR(static_cast<double>(position.time - chart.TimeBase()), 3600, 60 * 120.0 / layout.plot.width());
    EXPECT_NEAR(position.y1, 10, 40.0 / layout.plot.height());
    EXPECT_NEAR(position.y2, 360, 720.0 / layout.plot.height());
    EXPECT_FALSE(chart.MapPixel(QPoint(0, 0)).inPlot);
    EXPECT_EQ(chart.RenderToImage(QSize(320, 160)).size(), QSize(320, 160));
}

}  // namespace
}  // namespace svu
