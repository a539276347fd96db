#pragma once

// Pieces of the live-value tests: a station whose readings the test makes (or that makes them
// itself at a steady pace on its acquisition thread), and a client that waits for lines with a
// generous bound so that a fault fails the test instead of hanging it.

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "outputs/LiveClient.h"
#include "stations/StationHost.h"
#include "stations/WeatherStation.h"

namespace svu::test {

class TickStation : public WeatherStation {
public:
    TickStation(std::string stationName, int channels) : WeatherStation(std::move(stationName)) {
        active = 1;
        rawChannelCount = channelCount = channels;
        for (int i = 1; i <= channels; ++i) {
            channelNames.push_back("C" + std::to_string(i));
        }
        ResetValues();
    }
    const char* ClassName() const override { return "TickStation"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    bool InitComms(StationHost&) override { return true; }
    /// A reading every `pace` until stopped.
    void ThreadFunction(StationHost& host) override {
        while (!host.StopRequested()) {
            Reading(readings.load() + 1);
            std::this_thread::sleep_for(pace);
        }
    }
    /// Reading k: channel i (1-based) holds "k.i".
    void Reading(long k) {
        StoreReading(static_cast<TimeT>(k), [&](std::vector<std::string>& v) {
            for (std::size_t i = 0; i < v.size(); ++i) {
                v[i] = std::to_string(k) + "." + std::to_string(i + 1);
            }
        });
        readings.store(k);
    }

    std::atomic<long> readings{0};
    std::chrono::microseconds pace{1000};
};

/// A host that only passes readings on to a callback.
class ForwardingHost : public StationHost {
public:
    explicit ForwardingHost(std::function<void(WeatherStation&)> onReading) : onReading_(std::move(onReading)) {}
    bool StopRequested() const override { return false; }
    UserInterface& Ui() override { return ui_; }
    Clock& GetClock() override { return SystemClock(); }
    void OnReading(WeatherStation& station) override { onReading_(station); }

private:
    std::function<void(WeatherStation&)> onReading_;
    HeadlessUserInterface ui_;
};

/// The next line of the client as one tab-joined text ("" when none came in time).
inline std::string NextLine(LiveClient& client, int timeoutMs = 10000) {
    std::vector<std::string> fields;
    if (client.ReadLine(fields, timeoutMs) != LiveClient::Read::Line) {
        return {};
    }
    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        joined += (i > 0 ? "|" : "") + fields[i];
    }
    return joined;
}

/// Waits (bounded) until `done` holds; returns whether it did.
template <class Pred>
bool WaitFor(Pred done, std::chrono::milliseconds bound = std::chrono::seconds(20)) {
    const auto until = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace svu::test
