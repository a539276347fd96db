// A year of one-minute records of a 20-channel station (525,600 lines in 365 day files): how long
// the historic reader takes to load it, beside cat of the same files and pandas read_csv of the
// same data; then the historic graph from OK to its first paint, and the wind rose of the year.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/HistoricGraphWindow.h"
#include "app/HistoricWindroseWindow.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/LocalTime.h"
#include "gadgets/Chart2D.h"
#include "gadgets/ChartPainter.h"
#include "historic/DayFiles.h"
#include "historic/HistoricLog.h"
#include "historic/HistoricTraces.h"
#include "historic/HistoricWindrose.h"

namespace svu {
namespace {

constexpr int kChannels = 20;
constexpr CalendarDay kFirstDay{2025, 1, 1};

void EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_ui_historic";
        static char* argv[] = {name, nullptr};
        static QApplication* app = std::make_unique<QApplication>(argc, argv).release();
        (void)app;
    }
}

// The generated year, written once per run into a temporary folder removed at exit.
struct Year {
    std::string folder;
    std::uintmax_t bytes = 0;
    TimeT from = 0;
    TimeT to = 0;
};

const Year& GeneratedYear() {
    static const Year year = [] {
        Year y;
        std::string pattern = (std::filesystem::temp_directory_path() / "svu-bench-year-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        y.folder = pattern;
        // Kept apart from the static being built, so the clean-up never reads a destroyed object.
        static const std::string* folder = new std::string(pattern);
        std::atexit([] { std::filesystem::remove_all(*folder); });
        std::string header = std::to_string(kChannels) + "\r\nDirection\r\nSpeed\r\n";
        for (int c = 2; c < kChannels; ++c) {
            header += "Channel " + std::to_string(c + 1) + "\r\n";
        }
        CalendarDay day = kFirstDay;
        long minute = 0;
        char line[512];
        for (int d = 0; d < 365; ++d, day = NextDay(day)) {
            std::string text = header;
            text.reserve(240 * 1440);
            for (int m = 0; m < 1440; ++m, ++minute) {
                const double t = static_cast<double>(minute);
                int n = std::snprintf(line, sizeof line, "%02d/%02d/%02d, %02d:%02d:00, %.0f, %.1f", day.day, day.month,
                                      day.year % 100, m / 60, m % 60, std::fmod(200 + 150 * std::sin(t / 900), 360.0),
                                      6 + 4 * std::sin(t / 300));
                for (int c = 2; c < kChannels; ++c) {
                    n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), ", %.2f",
                                       10 + c + 5 * std::sin(t / (100 + c)));
                }
                text.append(line, static_cast<std::size_t>(n));
                text += "\r\n";
            }
            const std::string path = DayFilePath(y.folder, "Year", day);
            std::ofstream(path, std::ios::binary) << text;
            y.bytes += text.size();
        }
        ::sync();  // the files' write-back must not run during the timed reads
        y.from = FromLocal(kFirstDay.year, 1, 1, 0, 0, 0);
        y.to = FromLocal(kFirstDay.year, 12, 31, 23, 59, 59);
        return y;
    }();
    return year;
}

HistoricSource YearSource() {
    HistoricSource source;
    source.logFolder = GeneratedYear().folder;
    source.stationName = "Year";
    return source;
}

void BM_LoadYear(benchmark::State& bench) {
    const Year& year = GeneratedYear();
    for (auto _ : bench) {
        HistoricLog log;
        LoadHistoricRange(YearSource(), year.from, year.to, log);
        benchmark::DoNotOptimize(log.Count());
        bench.counters["lines"] = static_cast<double>(log.Count());
    }
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(year.bytes));
}
BENCHMARK(BM_LoadYear)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same files through cat, as the floor of reading them at all.
void BM_CatYear(benchmark::State& bench) {
    const std::string command = "cat " + GeneratedYear().folder + "/*.log > /dev/null";
    for (auto _ : bench) {
        if (std::system(command.c_str()) != 0) {
            bench.SkipWithError("cat failed");
        }
    }
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(GeneratedYear().bytes));
}
BENCHMARK(BM_CatYear)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// pandas read_csv of every day file (the time spent inside Python, without its start-up).
void BM_PandasReadCsvYear(benchmark::State& bench) {
    const std::string command =
        "/usr/bin/python3 -c \"import glob,time,pandas as pd\n"
        "files=sorted(glob.glob('" +
        GeneratedYear().folder +
        "/*.log'))\n"
        "t=time.perf_counter()\n"
        "frames=[pd.read_csv(f,skiprows=" +
        std::to_string(kChannels + 1) +
        ",header=None,skipinitialspace=True) for f in files]\n"
        "d=pd.concat(frames)\n"
        "print(time.perf_counter()-t, len(d))\"";
    for (auto _ : bench) {
        FILE* pipe = ::popen(command.c_str(), "r");
        double seconds = -1;
        long rows = 0;
        if (pipe == nullptr || std::fscanf(pipe, "%lf %ld", &seconds, &rows) != 2 || seconds < 0) {
            if (pipe != nullptr) {
                ::pclose(pipe);
            }
            bench.SkipWithError("pandas is not available");
            return;
        }
        ::pclose(pipe);
        bench.SetIterationTime(seconds);
        bench.counters["lines"] = static_cast<double>(rows);
    }
}
BENCHMARK(BM_PandasReadCsvYear)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

HistoricRangeChoice YearChoice() {
    HistoricRangeChoice choice;
    choice.source = YearSource();
    choice.from = GeneratedYear().from;
    choice.to = GeneratedYear().to;
    return choice;
}

// From OK in the range dialog to the first paint of two traces of the year (speed and direction).
void BM_GraphYearOkToFirstPaint(benchmark::State& bench) {
    EnsureApplication();
    HeadlessUserInterface ui;
    QImage image(1000, 600, QImage::Format_RGB32);
    for (auto _ : bench) {
        HistoricGraphWindow window(nullptr, ui, nullptr);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.Load(YearChoice());
        window.Trace(0).channel = 1;
        window.Trace(1).channel = 0;
        window.Trace(1).windDirection = true;
        window.BuildChart();
        QPainter painter(&image);
        PaintChart(painter, image.rect(), window.Chart()->State());
    }
}
BENCHMARK(BM_GraphYearOkToFirstPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The two parts after loading: building both traces, and painting them.
void BM_GraphYearBuild(benchmark::State& bench) {
    HistoricLog log;
    LoadHistoricRange(YearSource(), GeneratedYear().from, GeneratedYear().to, log);
    HistoricTrace speed;
    speed.channel = 1;
    HistoricTrace direction;
    direction.channel = 0;
    direction.windDirection = true;
    for (auto _ : bench) {
        const TraceSeries a = BuildTraceSeries(log, speed, HistoricTimeUnit(log));
        const TraceSeries b = BuildTraceSeries(log, direction, HistoricTimeUnit(log));
        benchmark::DoNotOptimize(a.y.data());
        benchmark::DoNotOptimize(b.y.data());
    }
}
BENCHMARK(BM_GraphYearBuild)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_GraphYearPaint(benchmark::State& bench) {
    EnsureApplication();
    HeadlessUserInterface ui;
    HistoricGraphWindow window(nullptr, ui, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.Load(YearChoice());
    window.Trace(0).channel = 1;
    window.Trace(1).channel = 0;
    window.Trace(1).windDirection = true;
    window.BuildChart();
    QImage image(1000, 600, QImage::Format_RGB32);
    for (auto _ : bench) {
        QPainter painter(&image);
        PaintChart(painter, image.rect(), window.Chart()->State());
    }
}
BENCHMARK(BM_GraphYearPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// From OK to the first paint of the year's wind rose with its table.
void BM_WindroseYearOkToFirstPaint(benchmark::State& bench) {
    EnsureApplication();
    HeadlessUserInterface ui;
    QImage image(620, 460, QImage::Format_RGB32);
    for (auto _ : bench) {
        HistoricWindroseWindow window(nullptr, ui, nullptr);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.Settings().directionChannel = 0;
        window.Settings().speedChannel = 1;
        window.Load(YearChoice());
        QPainter painter(&image);
        window.PaintRose(painter, image.rect());
        benchmark::DoNotOptimize(window.Rose().total);
    }
}
BENCHMARK(BM_WindroseYearOkToFirstPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WindroseYearCompute(benchmark::State& bench) {
    HistoricLog log;
    LoadHistoricRange(YearSource(), GeneratedYear().from, GeneratedYear().to, log);
    RoseSettings settings;
    settings.directionChannel = 0;
    settings.speedChannel = 1;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(ComputeRose(log, settings).total);
    }
}
BENCHMARK(BM_WindroseYearCompute)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace svu
