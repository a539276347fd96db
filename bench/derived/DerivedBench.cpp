// Cost of the derived channels per reading: the window kinds with full windows of growing length
// (the time per iteration is the time per reading), and a whole reading's processing for a station
// with one channel of every kind.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../support/CountingAllocator.h"
#include "derived/ProcessedAngleAverage.h"
#include "derived/ProcessedChannelRatio.h"
#include "derived/ProcessedRollingAverage.h"
#include "derived/ProcessedRollingMaximum.h"
#include "derived/ProcessedSum.h"
#include "derived/ProcessedTimeInSector.h"
#include "framework/FieldVisitor.h"
#include "runtime/DerivedKinds.h"
#include "stations/Alarm.h"
#include "stations/WeatherStation.h"

namespace svu {
namespace {

class BenchStation : public WeatherStation {
public:
    explicit BenchStation(int raw) : WeatherStation("Bench") {
        rawChannelCount = raw;
        channelCount = raw;
        for (int i = 0; i < raw; ++i) {
            channelNames.push_back("Raw" + std::to_string(i));
        }
        values.resize(static_cast<size_t>(raw));
    }
    const char* ClassName() const override { return "BenchStation"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }

    void Append(std::unique_ptr<ProcessedData> d) {
        channelNames.push_back(d->name);
        derived.push_back(std::move(d));
        ++channelCount;
        values.emplace_back();
    }
};

// Wind-like value texts, so the sums and the maximum see varied input.
const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        for (int i = 0; i < 97; ++i) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%.1f", (i * 37 % 360) + 0.1 * (i % 10));
            t.emplace_back(buf);
        }
        return t;
    }();
    return texts;
}

template <class Kind>
void WindowKind(benchmark::State& state) {
    const int64_t window = state.range(0);
    BenchStation st(1);
    auto kind = std::make_unique<Kind>(&st);
    Kind& k = *kind;
    if constexpr (requires { k.sourceChannel; }) {
        k.sourceChannel = 0;
    } else {
        k.directionChannel = 0;
        k.sectorFrom = 300.0f;
        k.sectorTo = 60.0f;
    }
    k.windowSeconds = static_cast<int32_t>(window);
    st.Append(std::move(kind));
    const auto& texts = Texts();
    TimeT t = 1700000000;
    size_t i = 0;
    // Fill the window first, so every measured reading also drops one sample.
    for (int64_t n = 0; n <= window; ++n, ++t, ++i) {
        st.readingTime = t;
        st.values[0] = texts[i % texts.size()];
        k.Calculate(1);
    }
    for (auto _ : state) {
        st.readingTime = t++;
        st.values[0] = texts[i++ % texts.size()];
        k.Calculate(1);
        benchmark::DoNotOptimize(st.values[1].data());
    }
}

#define SVU_WINDOW_BENCH(Kind) \
    BENCHMARK_TEMPLATE(WindowKind, Kind)->Arg(10)->Arg(3600)->Arg(86400)->Arg(999999)->Unit(benchmark::kNanosecond)

SVU_WINDOW_BENCH(ProcessedRollingAverage);
SVU_WINDOW_BENCH(ProcessedAngleAverage);
SVU_WINDOW_BENCH(ProcessedRollingMaximum);
SVU_WINDOW_BENCH(ProcessedTimeInSector);

// Sets every channel reference of a kind to a raw channel and every window to one hour.
class Wire final : public FieldVisitor {
public:
    bool IsLoading() const override { return true; }
    int Schema() const override { return 1; }
    void Int32(const char* name, int32_t& v) override {
        v = std::string(name) == "windowSeconds" ? 3600 : static_cast<int32_t>(next++ % 16);
    }
    void UInt32(const char*, uint32_t&) override {}
    void UInt16(const char*, uint16_t&) override {}
    void UInt8(const char*, uint8_t&) override {}
    void Bool32(const char*, int32_t&) override {}
    void Float(const char*, float&) override {}
    void Double(const char*, double&) override {}
    void String(const char*, std::string&) override {}
    void UInt32Array(const char*, std::vector<uint32_t>& v) override { v = {0, 1, 2, 3}; }
    void FloatBitsArray(const char*, std::vector<uint32_t>&) override {}
    void StringArray(const char*, std::vector<std::string>&) override {}
    int next = 0;
};

void ProcessReadingAllKinds(benchmark::State& state) {
    const bool logEveryReading = state.range(0) != 0;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "svu_bench_derived";
    std::filesystem::create_directories(folder);
    BenchStation st(16);
    for (const DerivedKind& kind : DerivedKinds()) {
        auto d = kind.create(&st);
        Wire wire;
        d->VisitFields(wire);
        if (auto* ratio = dynamic_cast<ProcessedChannelRatio*>(d.get())) {
            ratio->remoteStation = &st;
        }
        st.Append(std::move(d));
    }
    for (int a = 0; a < 8; ++a) {
        auto alarm = std::make_unique<Alarm>();
        alarm->enabled = 1;
        alarm->channel = a * 4;
        alarm->condition = Alarm::kGreater;
        alarm->threshold = 1e9f;
        st.alarms.push_back(std::move(alarm));
    }
    st.logFolder = folder.string();
    st.loggingEnabled = 1;
    st.logAllValues = logEveryReading ? 1 : 0;
    st.logInterval = 60;
    const auto& texts = Texts();
    TimeT t = 1700000000;
    size_t i = 0;
    const auto reading = [&] {
        st.StoreReading(t++, [&](std::vector<std::string>& values) {
            for (size_t c = 0; c < 16; ++c) {
                values[c] = texts[(i + c * 7) % texts.size()];
            }
        });
        ++i;
    };
    for (int n = 0; n <= 3600; ++n) {
        reading();
    }
    const long long before = bench::AllocationCount().load();
    for (auto _ : state) {
        reading();
    }
    const long long allocations = bench::AllocationCount().load() - before;
    state.counters["readings_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["allocations_per_reading"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
    st.CloseLogFile();
    std::filesystem::remove_all(folder);
}
BENCHMARK(ProcessReadingAllKinds)->ArgName("log_every_reading")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace svu
