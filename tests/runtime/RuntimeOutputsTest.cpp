#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "outputs/LiveClient.h"
#include "outputs/LiveOutput.h"
#include "outputs/LiveTestSupport.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeTestSupport.h"

namespace svu {
namespace {

using test::WriteFileBytes;

// Keeps what the runtime tells it.
class RecordingOutput : public LiveOutput {
public:
    void OnReading(const WeatherStation& station) override {
        std::lock_guard guard(mutex);
        readings.push_back(station.name + "=" + station.values[2]);
    }
    void OnStationsChanged(const StationList& stations, StationsChange why) override {
        std::lock_guard guard(mutex);
        events.push_back("stations " + std::to_string(static_cast<int>(why)) + " " + std::to_string(stations.size()));
    }
    void OnAcquisitionChanged(bool running) override {
        std::lock_guard guard(mutex);
        events.push_back(running ? "running" : "stopped");
    }
    std::size_t ReadingCount() {
        std::lock_guard guard(mutex);
        return readings.size();
    }

    std::mutex mutex;
    std::vector<std::string> readings;
    std::vector<std::string> events;
};

class RuntimeOutputs : public test::RuntimeFixture {
protected:
    RuntimeOutputs() {
        const std::string input = reports.dir.File("in.log");
        WriteFileBytes(input, "1\r\nTemp\r\n05/12/26, 14:05:00, 5\r\n05/12/26, 14:06:00, 6\r\n");
        StationList list;
        auto station = test::FileStation("Hill", input);
        station->loop = 0;
        list.push_back(std::move(station));
        SaveStationFile(settings.StationFilePath(), list);
    }
};

TEST_F(RuntimeOutputs, OutputsHearOfLoadingReadingsSavingAndAcquisition) {
    Runtime runtime(settings, ui, SystemClock());
    RecordingOutput output;
    runtime.AddOutput(output);
    ASSERT_TRUE(runtime.LoadStations().Ok());
    runtime.StartAcquisition();
    ASSERT_TRUE(test::WaitFor([&] { return output.ReadingCount() >= 2; }));
    runtime.StopAcquisition();
    ASSERT_TRUE(runtime.SaveStations());
    runtime.RemoveOutput(output);
    runtime.StartAcquisition();
    runtime.StopAcquisition();

    EXPECT_EQ(output.readings, (std::vector<std::string>{"Hill= 5", "Hill= 6"}));
    EXPECT_EQ(output.events, (std::vector<std::string>{"stations 0 1", "stations 2 1", "running", "stopped",
                                                       "stations 1 1"}));
}

TEST_F(RuntimeOutputs, LiveOutputsStartAsTheSettingsAsk) {
    Runtime runtime(settings, ui, SystemClock());
    ASSERT_TRUE(runtime.LoadStations().Ok());
    EXPECT_TRUE(runtime.StartLiveOutputs().empty());
    EXPECT_EQ(runtime.Live().Server(), nullptr);
    EXPECT_EQ(runtime.Live().Mqtt(), nullptr);

    settings.WriteSettingInt(kSectionLiveValues, kKeyLiveActive, 1);
    EXPECT_TRUE(runtime.StartLiveOutputs().empty());
    ASSERT_NE(runtime.Live().Server(), nullptr);
    LiveClient client;
    std::string error;
    ASSERT_TRUE(client.ConnectUnix(settings.FilePath("stratavue.live"), error)) << error;
    client.Send({"REQUEST", "Information", "WeatherStation1"});
    std::vector<std::string> fields;
    ASSERT_EQ(client.ReadLine(fields, 10000), LiveClient::Read::Line);
    EXPECT_EQ(fields, (std::vector<std::string>{"DATA", "Information", "WeatherStation1", "Hill"}));

    // A port that is not one is reported and written to error.txt; the socket still serves.
    settings.WriteSettingInt(kSectionLiveValues, kKeyLivePort, 70000);
    const std::vector<std::string> problems = runtime.StartLiveOutputs();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(reports.ErrorText().find("70000 is not a TCP port"), std::string::npos) << reports.ErrorText();
    EXPECT_NE(runtime.Live().Server(), nullptr);
    runtime.StopLiveOutputs();
    EXPECT_EQ(runtime.Live().Server(), nullptr);
}

}  // namespace
}  // namespace svu
