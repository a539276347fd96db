// Alarm recordings and spoken alarms through the runtime: a station's alarm asks, the refresh cycle
// ends the recording when its time is up, stopping acquisition cuts it short without a record.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "outputs/AlarmRecorder.h"
#include "outputs/SoundCatalogue.h"
#include "platform/FileAudioInput.h"
#include "runtime/Runtime.h"
#include "stations/Alarm.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using namespace std::chrono_literals;

// One channel; each reading handed over by the test goes through the station's processing.
class Gauge : public WeatherStation {
public:
    Gauge() : WeatherStation("Gauge") {
        active = 1;
        channelCount = 1;
        channelNames = {"Wind"};
        values = {""};
    }
    const char* ClassName() const override { return "Gauge"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    bool InitComms(StationHost&) override { return true; }
    void ThreadFunction(StationHost& host) override {
        while (!host.StopRequested()) {
            if (const char* value = next.exchange(nullptr)) {
                StoreReading(host.GetClock().Now(), [value](auto& v) { v[0] = value; });
                ++readings;
            }
            std::this_thread::sleep_for(1ms);
        }
    }
    void Read(const char* value) {
        const int before = readings.load();
        next.store(value);
        while (readings.load() == before) {
            std::this_thread::sleep_for(1ms);
        }
    }
    std::atomic<const char*> next{nullptr};
    std::atomic<int> readings{0};
};

struct SoundRuntime {
    test::ReportScope reports;
    Settings settings{reports.dir.Path().string()};
    test::RecordingUserInterface ui;
    ManualClock clock{FromLocal(2026, 12, 5, 14, 0, 0)};
    FileAudioInput input{clock, 300.0};
    AlarmRecorder recorder{input, clock, settings.FilePath("sounds.bin"), {}};
    Runtime runtime{settings, ui, clock};
    Gauge* gauge = nullptr;
    std::vector<std::string> triggered;

    SoundRuntime() {
        auto station = std::make_unique<Gauge>();
        auto alarm = std::make_unique<Alarm>();
        alarm->name = "Gale";
        alarm->channel = 0;
        alarm->enabled = 1;
        alarm->threshold = 30;
        alarm->recordSound = 1;
        alarm->recordLength = 4;
        alarm->recordFolder = reports.dir.Path().string();
        station->alarms.push_back(std::move(alarm));
        gauge = station.get();
        runtime.Stations().push_back(std::move(station));
        runtime.SetSoundRecorder(&recorder);
        runtime.SetAlarmTriggerHook(
            [this](WeatherStation& s, const Alarm& a) { triggered.push_back(s.name + "/" + a.name); });
    }
    ~SoundRuntime() { runtime.StopAcquisition(); }
    std::size_t CatalogueSize() { return ReadSoundCatalogue(settings.FilePath("sounds.bin")).entries.size(); }
};

TEST(RuntimeSound, TheRefreshCycleEndsARecordingAndStoppingCutsOneShort) {
    SoundRuntime rig;
    ASSERT_TRUE(rig.runtime.StartAcquisition());
    rig.gauge->Read("31");
    EXPECT_EQ(rig.triggered, std::vector<std::string>{"Gauge/Gale"});
    EXPECT_TRUE(rig.recorder.Active());
    rig.recorder.Sync();
    rig.clock.Advance(3s);
    rig.runtime.Refresh();
    EXPECT_TRUE(rig.recorder.Active());
    rig.clock.Advance(1s);
    rig.runtime.Refresh();
    EXPECT_FALSE(rig.recorder.Active());
    rig.recorder.Sync();
    EXPECT_EQ(rig.CatalogueSize(), 1u);

    // Cleared and triggered again, then acquisition stops mid-recording: the file is completed
    // but not catalogued.
    rig.gauge->Read("29");
    rig.clock.Advance(1s);
    rig.gauge->Read("35");
    EXPECT_TRUE(rig.recorder.Active());
    rig.recorder.Sync();
    rig.clock.Advance(2s);
    ASSERT_TRUE(rig.runtime.StopAcquisition());
    EXPECT_FALSE(rig.recorder.Active());
    rig.recorder.Sync();
    EXPECT_EQ(rig.CatalogueSize(), 1u);
    std::size_t wavs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(rig.reports.dir.Path())) {
        wavs += entry.path().extension() == ".wav" ? 1 : 0;
    }
    EXPECT_EQ(wavs, 2u);
}

}  // namespace
}  // namespace svu
