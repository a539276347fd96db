// How long a chart takes to draw at 800 x 400 with a thousand to a million points per line, and
// how much of that is the reduction to pixel columns.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <memory>

#include "gadgets/ChartLayout.h"
#include "gadgets/ChartPainter.h"

namespace svu {
namespace {

void EnsureGuiApplication() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_ui_chart";
        static char* argv[] = {name, nullptr};
        // Kept for the whole run and never destroyed: Qt's own statics are gone by the time
        // static destructors would run.
        static QGuiApplication* app = std::make_unique<QGuiApplication>(argc, argv).release();
        (void)app;
    }
}

// Two traces of `count` points over a day, with a run of holes in each.
ChartState MakeState(std::size_t count) {
    ChartState state;
    state.timeBase = 1700000000;
    state.header = QStringLiteral("Station 1");
    state.y[0].title = QStringLiteral("Temperature");
    state.y[0].grid = true;
    state.timeGrid = true;
    state.y[1].autoRange = false;
    state.y[1].maximum = 720;
    const char* names[] = {"N", "E", "S", "W"};
    for (int k = 0; k <= 8; ++k) {
        state.y[1].valueLabels.push_back(ChartValueLabel{k * 90.0, QString::fromLatin1(names[k % 4])});
    }
    for (std::size_t a = 0; a < 2; ++a) {
        ChartSeries series;
        series.colour = a == 0 ? Qt::blue : Qt::red;
        series.x.resize(count);
        series.y.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / static_cast<double>(count);
            series.x[i] = -86400.0 + 86400.0 * t;
            series.y[i] = a == 0 ? 12 + 5 * std::sin(t * 12) + std::sin(static_cast<double>(i) * 1.7)
                                 : 360 + 200 * std::sin(t * 7) + 30 * std::sin(static_cast<double>(i) * 0.9);
            if (t > 0.4 + 0.1 * static_cast<double>(a) && t < 0.42 + 0.1 * static_cast<double>(a)) {
                series.y[i] = kChartHole;
            }
        }
        state.y[a].sets.push_back(std::move(series));
    }
    return state;
}

void BM_PaintChart(benchmark::State& bench) {
    EnsureGuiApplication();
    const ChartState chart = MakeState(static_cast<std::size_t>(bench.range(0)));
    QImage image(800, 400, QImage::Format_RGB32);
    for (auto _ : bench) {
        QPainter painter(&image);
        PaintChart(painter, image.rect(), chart);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    bench.SetItemsProcessed(bench.iterations() * bench.range(0) * 2);
}
BENCHMARK(BM_PaintChart)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_DecimateSeries(benchmark::State& bench) {
    EnsureGuiApplication();
    const ChartState chart = MakeState(static_cast<std::size_t>(bench.range(0)));
    const ChartLayout layout = ComputeChartLayout(chart, QRect(0, 0, 800, 400));
    const ChartSeries& series = chart.y[0].sets[0];
    for (auto _ : bench) {
        benchmark::DoNotOptimize(DecimateSeries(series.x.data(), series.y.data(), series.x.size(), layout, 0));
    }
    bench.SetItemsProcessed(bench.iterations() * bench.range(0));
}
BENCHMARK(BM_DecimateSeries)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svu
