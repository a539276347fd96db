// Replaying a year of one-minute records (525,600 lines, 20 channels) through a file station with
// logging on: the station alone, then with one derived channel of every kind; for comparison the
// same replay with logging off, and `cat` of the file (the floor set by reading it). Allocations are
// counted: a record should cost none once the station is running (a new day's file name is one).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/CountingAllocator.h"
#include "../support/YearLog.h"
#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/LocalTime.h"
#include "framework/UserInterface.h"
#include "runtime/DerivedKinds.h"
#include "stations/ProcessedData.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"
#include "stations/WSFile.h"

namespace {

constexpr int kChannels = 20;
constexpr long kRecords = svu::bench::kYearOfMinutes;

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        const auto f = std::filesystem::temp_directory_path() / "svu-replay-bench";
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

// The year's log, written once per run of the program.
const std::string& YearLog() {
    static const std::string path = [] {
        const std::string p = (Folder() / "year.log").string();
        svu::bench::WriteYearLog(p, kChannels, kChannels);
        return p;
    }();
    return path;
}

// An empty folder not used before in this run; all of them go when the program ends.
std::string FreshLogFolder() {
    const std::filesystem::path& base = Folder();  // made first, so that it outlives the sweep
    static int runs = 0;
    static const struct Sweep {
        ~Sweep() {
            std::error_code ignored;
            std::filesystem::remove_all(Folder() / "runs", ignored);
        }
    } sweep;
    const auto folder = base / "runs" / std::to_string(++runs);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

class QuietUi : public svu::UserInterface {
public:
    svu::MsgResult MessageBox(const std::string&, const std::string&, svu::MsgButtons buttons, svu::MsgIcon,
                              int) override {
        return svu::SafeResult(buttons);
    }
    void ShowProgress(const std::string&) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

class ReplayHost : public svu::StationHost {
public:
    bool StopRequested() const override { return false; }
    svu::UserInterface& Ui() override { return ui_; }
    svu::Clock& GetClock() override { return svu::SystemClock(); }

private:
    QuietUi ui_;
};

// Points every channel reference of a derived channel at one of the station's values.
class Wiring : public svu::FieldVisitor {
public:
    bool IsLoading() const override { return true; }
    int Schema() const override { return 1; }
    void Int32(const char* name, int32_t& v) override {
        const std::string field = name;
        if (field.ends_with("Channel")) {
            v = 2 + (next_++ % kChannels);
        } else if (field == "windowSeconds") {
            v = 600;
        }
    }
    void UInt32(const char*, uint32_t&) override {}
    void UInt16(const char*, uint16_t&) override {}
    void UInt8(const char*, uint8_t&) override {}
    void Bool32(const char*, int32_t&) override {}
    void Float(const char*, float&) override {}
    void Double(const char*, double&) override {}
    void String(const char*, std::string&) override {}
    void UInt32Array(const char*, std::vector<uint32_t>& v) override { v = {2, 3, 4}; }
    void FloatBitsArray(const char*, std::vector<uint32_t>&) override {}
    void StringArray(const char*, std::vector<std::string>&) override {}

private:
    int next_ = 0;
};

std::unique_ptr<svu::WSFile> MakeStation(bool withDerived, bool logging) {
    auto station = std::make_unique<svu::WSFile>("Bench");
    station->inputFile = YearLog();
    station->ReadConfiguration();
    station->loggingEnabled = logging ? 1 : 0;
    station->logInterval = 60;
    if (withDerived) {
        Wiring wiring;
        for (const svu::DerivedKind& kind : svu::DerivedKinds()) {
            std::unique_ptr<svu::ProcessedData> channel = kind.create(station.get());
            channel->VisitFields(wiring);
            channel->name = kind.className;
            station->channelNames.push_back(channel->name);
            station->derived.push_back(std::move(channel));
            ++station->channelCount;
        }
        station->channelTypes.resize(station->channelNames.size(), 0);
        station->channelOffsets.resize(station->channelNames.size(), 0);
        station->channelMultipliers.resize(station->channelNames.size(), 0);
        station->ResetValues();
    }
    return station;
}

void Replay(benchmark::State& state, bool withDerived, bool logging) {
    svu::SetReportFolder(Folder().string());
    ReplayHost host;
    long records = 0;
    long long allocations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto station = MakeStation(withDerived, logging);
        // A folder of its own per run: deleting a year of day files just before creating them again
        // makes the file system search for free inodes, a cost no station ever meets.
        station->logFolder = FreshLogFolder();
        state.ResumeTiming();
        const long long before = svu::bench::AllocationCount().load();
        const svu::WSFile::ReplayCounts counts = station->ReplayOnce(host);
        allocations += svu::bench::AllocationCount().load() - before;
        records += counts.records;
        if (counts.records != kRecords) {
            state.SkipWithError("not every record was replayed");
        }
    }
    state.counters["records_per_second"] =
        benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
    state.counters["allocations_per_record"] =
        benchmark::Counter(records > 0 ? static_cast<double>(allocations) / static_cast<double>(records) : 0.0);
}

void BM_ReplayYear(benchmark::State& state) {
    Replay(state, false, true);
}
void BM_ReplayYearAllDerivedKinds(benchmark::State& state) {
    Replay(state, true, true);
}
void BM_ReplayYearLoggingOff(benchmark::State& state) {
    Replay(state, false, false);
}

void BM_CatFloor(benchmark::State& state) {
    const std::string command = "cat '" + YearLog() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cat failed");
        }
    }
    state.counters["records_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kRecords), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ReplayYear)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ReplayYearAllDerivedKinds)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ReplayYearLoggingOff)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_CatFloor)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace
