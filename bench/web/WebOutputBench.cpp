// One web output cycle on a 50 KB template holding 200 tags (plain, formatted, date and time)
// over 5 stations of 20 channels: filling alone, and the whole cycle with the template read and
// the page written (with and without the flush to disk).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "framework/AtomicFile.h"
#include "outputs/WebOutput.h"

namespace {

class LockedSource : public svu::WebValueSource {
public:
    LockedSource() {
        for (int s = 0; s < 5; ++s) {
            Station station;
            station.name = "Station" + std::to_string(s);
            for (int c = 0; c < 20; ++c) {
                station.channels.push_back("Channel " + std::to_string(c) + "  ");
                station.values.push_back(std::to_string(c * 1.25 + s));
            }
            stations_.push_back(std::move(station));
        }
    }
    std::size_t StationCount() const override { return stations_.size(); }
    std::string StationName(std::size_t s) const override { return stations_[s].name; }
    void CopyChannelNames(std::size_t s, std::vector<std::string>& names) const override {
        std::lock_guard guard(stations_[s].lock);
        names = stations_[s].channels;
    }
    void CopyValue(std::size_t s, std::size_t c, std::string& value) const override {
        std::lock_guard guard(stations_[s].lock);
        value = stations_[s].values[c];
    }

private:
    struct Station {
        std::string name;
        std::vector<std::string> channels;
        std::vector<std::string> values;
        mutable std::recursive_mutex lock;
        Station() = default;
        Station(Station&& o) noexcept
            : name(std::move(o.name)), channels(std::move(o.channels)), values(std::move(o.values)) {}
    };
    std::vector<Station> stations_;
};

std::string MakeTemplate() {
    std::string text = "<html><head><title>Weather</title></head><body>\n";
    int tag = 0;
    while (text.size() < 50 * 1024) {
        text += "<tr><td class=\"name\">Reading number " + std::to_string(tag) + " of the station</td><td>";
        if (tag < 200) {
            const int s = tag % 5;
            const int c = (tag / 5) % 20;
            switch (tag % 4) {
                case 0:
                    text += "{STRATAVUE:Station" + std::to_string(s) + ":Channel " + std::to_string(c) + "}";
                    break;
                case 1:
                    text += "{STRATAVUE:Station" + std::to_string(s) + ":Channel " + std::to_string(c) + "(5.1)}";
                    break;
                case 2:
                    text += "{STRATAVUE:#DATE}";
                    break;
                default:
                    text += "{STRATAVUE:#TIME}";
                    break;
            }
        }
        text += "</td></tr>\n";
        ++tag;
    }
    return text + "</body></html>\n";
}

void BM_FillTemplate(benchmark::State& state) {
    const LockedSource source;
    const std::string text = MakeTemplate();
    const svu::WebClockTexts clock = svu::MakeWebClockTexts(1'780'000'000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(svu::ExpandWebTemplate(text, source, clock));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FillTemplate)->Unit(benchmark::kMicrosecond);

void BM_WebOutputCycle(benchmark::State& state) {
    const bool sync = state.range(0) != 0;
    svu::SetAtomicWriteSyncForTesting(sync);
    const LockedSource source;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "svu-web-bench";
    std::filesystem::create_directories(dir);
    svu::WebOutputSettings settings;
    settings.active = 1;
    settings.templateFile = (dir / "page.tpl").string();
    settings.outputFile = (dir / "page.htm").string();
    std::ofstream(settings.templateFile, std::ios::binary) << MakeTemplate();
    svu::WebOutput web(settings);
    for (auto _ : state) {
        if (web.ProduceWebPage(1'780'000'000, source) != svu::WebOutputResult::Written) {
            state.SkipWithError("page not written");
            break;
        }
    }
    std::filesystem::remove_all(dir);
    svu::SetAtomicWriteSyncForTesting(true);
}
BENCHMARK(BM_WebOutputCycle)->Arg(0)->Arg(1)->ArgName("fsync")->Unit(benchmark::kMicrosecond);

}  // namespace
