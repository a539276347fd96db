#pragma once

// Publishes every new reading to an MQTT broker (libmosquitto): each channel as a retained
// message, one JSON document per reading, an online/offline status with the broker's last will,
// and Home Assistant discovery configurations when asked for.
//
// One thread of its own runs the connection. The runtime's calls only copy the latest reading of
// a station and wake that thread, so a broker that is slow, down or far away never holds up a
// station: while the broker cannot keep up, a station's newer reading replaces one not yet sent.
// A broker that cannot be reached is reported once per outage and tried again with growing pauses.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "outputs/LiveOutput.h"
#include "outputs/LiveSettings.h"
#include "outputs/MqttMessages.h"

struct mosquitto;

namespace svu {

class MqttPublisher : public LiveOutput {
public:
    /// The pause before the first retry and the longest pause between retries.
    static constexpr std::chrono::milliseconds kFirstRetry{1000};
    static constexpr std::chrono::milliseconds kLongestRetry{60000};

    explicit MqttPublisher(MqttSettings settings);
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    /// Starts the publishing thread, which connects in the background. False with a message when
    /// the settings cannot be used (a TLS certificate file that cannot be read, ...).
    bool Start(std::vector<std::string>& problems);
    /// Says "offline", disconnects and ends the thread.
    void Stop();

    bool Connected() const { return connected_.load(); }
    /// Messages handed to the broker connection so far.
    uint64_t MessagesSent() const { return sent_.load(); }
    const MqttSettings& Config() const { return settings_; }

    // ---- LiveOutput ----
    void OnReading(const WeatherStation& station) override;
    void OnStationsChanged(const StationList& stations, StationsChange why) override;
    void OnAcquisitionChanged(bool running) override {}

private:
    struct Pending {
        bool waiting = false;
        TimeT time = 0;
        std::vector<std::string> values;
    };

    void Run();
    void Wake();
    bool Connect();
    void ConnectionLost(const std::string& why);
    void PublishAll();
    void PublishReadings();
    bool Publish(const MqttMessage& message, int qos = 0);
    void ServiceSocket(int timeoutMs);
    static void OnConnect(mosquitto* mosq, void* self, int rc);

    MqttSettings settings_;
    mosquitto* mosq_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    int wakeFd_ = -1;
    std::atomic<bool> connected_{false};
    std::atomic<uint64_t> sent_{0};

    // Shared with the runtime's threads.
    std::mutex mutex_;
    std::vector<MqttStation> stations_;
    std::vector<Pending> pending_;
    std::vector<int> pendingOrder_;
    bool stationsChanged_ = true;

    // The publishing thread's own.
    bool connecting_ = false;
    bool everTried_ = false;
    bool outageReported_ = false;
    bool announce_ = false;  // status and discovery to be (re)published
    std::chrono::steady_clock::time_point nextAttempt_{};
    std::chrono::steady_clock::time_point connectStarted_{};
    std::chrono::milliseconds retryPause_ = kFirstRetry;
    std::vector<MqttStation> published_;  // the station list the last announcement described
    std::set<std::string> retained_;      // retained topics this publisher has set
};

}  // namespace svu
