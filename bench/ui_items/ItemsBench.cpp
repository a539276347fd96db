// The display items' share of the 10 ms refresh cycle, offscreen: a page of 40 items of every kind
// fed by 4 stations, with no new reading and with a new reading that changes every item; and the
// cost of filling a graph (and a real-time rose) from one day of one-second log records.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/LocalTime.h"
#include "framework/TextUtil.h"
#include "gadgets/GadgetKinds.h"
#include "gadgets/GadgetWindow.h"
#include "gadgets/GraphGadget.h"
#include "gadgets/MultiTextGadget.h"
#include "gadgets/RTWindRoseGadget.h"
#include "stations/WeatherStation.h"

namespace svu {
namespace {

void EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_ui_items";
        static char* argv[] = {name, nullptr};
        // Kept for the whole run and never destroyed: Qt's own statics are gone by the time
        // static destructors would run.
        static QApplication* app = std::make_unique<QApplication>(argc, argv).release();
        (void)app;
    }
}

// Channels of every bench station.
enum Channel { kSpeed = 1, kDirection = 2, kTemperature = 3, kDust = 4, kChannels = 4 };

class BenchStation : public WeatherStation {
public:
    explicit BenchStation(std::string stationName) : WeatherStation(std::move(stationName)) {
        channelNames = {"Speed", "Direction", "Temperature", "Dust"};
        rawChannelCount = channelCount = kChannels;
        ResetValues();
    }
    const char* ClassName() const override { return "BenchStation"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }

    // One reading as a station thread stores it; `n` makes every value differ from the last.
    void Reading(TimeT time, int n) {
        std::lock_guard guard(lock);
        readingTime = time;
        values[kSpeed - 1] = FormatC("%.1f", 3.0 + n % 7);
        values[kDirection - 1] = FormatC("%d", (n * 37) % 360);
        values[kTemperature - 1] = FormatC("%.2f", 10 + 5 * std::sin(n * 0.1));
        values[kDust - 1] = FormatC("%d", 20 + n % 13);
    }
};

class Host : public GadgetHost {
public:
    bool LayoutLocked() const override { return true; }
    bool AcquisitionRunning() const override { return true; }
    int CurrentPage() const override { return 1; }
    QPoint ScrollPosition() const override { return {}; }
    void GadgetMoved(Gadget&) override {}
    void DeleteGadget(Gadget&) override {}
    void CopyGadget(Gadget&) override {}
    void EditGadgetProperties(Gadget&) override {}
};

// A shown page of 40 items, each kind in turn, at their "Add" sizes on a grid.
class Page {
public:
    static constexpr int kItems = 40;
    static constexpr int kColumns = 8;
    static constexpr int kCell = 360;

    Page() : logs_(std::filesystem::temp_directory_path() / "svu-bench-items") {
        std::filesystem::create_directories(logs_);
        for (int s = 0; s < 4; ++s) {
            stations_.push_back(std::make_unique<BenchStation>("Station" + std::to_string(s)));
            stations_.back()->logFolder = logs_.string();  // no logs: the back-fill finds nothing
        }
        const auto& kinds = GadgetKinds();
        for (int i = 0; i < kItems; ++i) {
            const GadgetKind& kind = kinds[static_cast<size_t>(i) % kinds.size()];
            std::unique_ptr<Gadget> item = CreateGadget(kind.typeCode);
            if (!item) {
                continue;
            }
            const int x = (i % kColumns) * kCell;
            const int y = (i / kColumns) * kCell;
            item->rect = {x, y, x + kind.width, y + kind.height};
            Link(*item, *stations_[static_cast<size_t>(i) % stations_.size()]);
            items_.push_back(std::move(item));
        }
        parent_.resize(kColumns * kCell, (kItems / kColumns) * kCell);
        for (const auto& item : items_) {
            windows_.push_back(new GadgetWindow(*item, host_, &parent_));
        }
        parent_.show();
        Reading();
        Tick();  // the first reading starts the graphs and roses
    }
    ~Page() {
        std::error_code ec;
        std::filesystem::remove_all(logs_, ec);
    }

    // Every station delivers its next reading.
    void Reading() {
        ++n_;
        for (const auto& station : stations_) {
            station->Reading(start_ + n_, n_);
        }
    }

    // What the view's timer does for the items: refresh each, repaint the changed ones.
    int Tick() {
        int repainted = 0;
        for (size_t i = 0; i < items_.size(); ++i) {
            const GadgetKind* kind = FindGadgetKind(items_[i]->typeCode);
            if (kind != nullptr && kind->refresh != RefreshPolicy::Never && items_[i]->UpdateFromChannels()) {
                windows_[i]->update();
                ++repainted;
            }
        }
        QCoreApplication::processEvents();
        return repainted;
    }

    size_t Items() const { return items_.size(); }

private:
    static void Link(Gadget& item, WeatherStation& station) {
        switch (item.typeCode) {
            case 9:  // real-time wind rose
                item.SetSource(0, &station, kSpeed);
                item.SetSource(1, &station, kDirection);
                break;
            case 10:  // real-time dust rose
                item.SetSource(0, &station, kDust);
                item.SetSource(1, &station, kDirection);
                break;
            case 6:  // overlay
            case 7:  // wind dial
                item.SetSource(0, &station, kDirection);
                break;
            case 8:  // graph
                item.SetSource(0, &station, kTemperature);
                item.SetSource(1, &station, kSpeed);
                break;
            case 11:  // multi-text: a text per band of temperature
                item.SetSource(0, &station, kTemperature);
                static_cast<MultiTextGadget&>(item).switchingPoints = {8, 12, 100};
                static_cast<MultiTextGadget&>(item).texts = {"Cold", "Mild", "Warm"};
                break;
            default:
                item.SetSource(0, &station, kTemperature);
                break;
        }
    }

    std::filesystem::path logs_;
    std::vector<std::unique_ptr<BenchStation>> stations_;
    std::vector<std::unique_ptr<Gadget>> items_;
    Host host_;
    QWidget parent_;
    std::vector<GadgetWindow*> windows_;  // children of parent_
    TimeT start_ = FromLocal(2024, 6, 1, 12, 0, 0);
    int n_ = 0;
};

void BM_RefreshTickNoChange(benchmark::State& bench) {
    EnsureApplication();
    Page page;
    int repainted = 0;
    for (auto _ : bench) {
        repainted += page.Tick();
    }
    bench.counters["items"] = static_cast<double>(page.Items());
    bench.counters["repaints/tick"] = benchmark::Counter(repainted, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RefreshTickNoChange)->Unit(benchmark::kMicrosecond);

void BM_RefreshTickEveryItemChanging(benchmark::State& bench) {
    EnsureApplication();
    Page page;
    int repainted = 0;
    for (auto _ : bench) {
        page.Reading();
        repainted += page.Tick();
    }
    bench.counters["items"] = static_cast<double>(page.Items());
    bench.counters["repaints/tick"] = benchmark::Counter(repainted, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RefreshTickEveryItemChanging)->Unit(benchmark::kMillisecond);

// One day of one-second records (yesterday's log) and the first second of today.
class DayOfLogs {
public:
    DayOfLogs() : folder_(std::filesystem::temp_directory_path() / "svu-bench-backfill"), station_("Logger") {
        std::filesystem::create_directories(folder_);
        station_.logFolder = folder_.string();
        today_ = FromLocal(2024, 6, 2, 0, 0, 0);
        const TimeT yesterday = FromLocal(2024, 6, 1, 0, 0, 0);
        Write(yesterday, yesterday, today_);
        Write(today_, today_, today_ + 1);
        station_.Reading(today_, 1);
    }
    ~DayOfLogs() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    BenchStation& Station() { return station_; }

private:
    void Write(TimeT day, TimeT from, TimeT to) {
        const LocalTm tm = ToLocal(day);
        std::ofstream out(LogFileName(folder_.string(), station_.name, tm.year, tm.month, tm.day), std::ios::binary);
        out << kChannels << "\r\n";
        for (const auto& name : station_.channelNames) {
            out << name << "\r\n";
        }
        for (TimeT t = from; t < to; ++t) {
            const int n = static_cast<int>(t - from);
            out << FormatLogStamp(t)
                << FormatC(", %.1f, %d, %.2f, %d\r\n", 3.0 + n % 7, (n * 37) % 360, 10 + 5 * std::sin(n * 0.001),
                           20 + n % 13);
        }
    }

    std::filesystem::path folder_;
    BenchStation station_;
    TimeT today_ = 0;
};

void BM_GraphBackFillOneDay(benchmark::State& bench) {
    EnsureApplication();
    DayOfLogs logs;
    GraphGadget graph;
    graph.rect = {0, 0, 406, 206};
    graph.timeBase = 23 * 3600 + 59 * 60 + 59;  // the longest "Display the last"
    graph.SetSource(0, &logs.Station(), kTemperature);
    for (auto _ : bench) {
        graph.ResetHistory();
        graph.traces[0].lastReadingTime = 0;
        benchmark::DoNotOptimize(graph.UpdateFromChannels());
    }
    bench.SetItemsProcessed(bench.iterations() * 86401);
}
BENCHMARK(BM_GraphBackFillOneDay)->Unit(benchmark::kMillisecond);

void BM_WindRoseBackFillOneDay(benchmark::State& bench) {
    EnsureApplication();
    DayOfLogs logs;
    RTWindRoseGadget rose;
    rose.SetSource(0, &logs.Station(), kSpeed);
    rose.SetSource(1, &logs.Station(), kDirection);
    for (auto _ : bench) {
        rose.ResetHistory();
        benchmark::DoNotOptimize(rose.UpdateFromChannels());
    }
    bench.SetItemsProcessed(bench.iterations() * 86401);
}
BENCHMARK(BM_WindRoseBackFillOneDay)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svu
