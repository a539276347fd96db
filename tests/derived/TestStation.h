#pragma once

#include <memory>
#include <string>
#include <vector>

#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu::test {

/// A station without communication whose raw values the test sets, for driving derived channels.
class TestStation : public WeatherStation {
public:
    static constexpr const char* kClassName = "TestStation";

    explicit TestStation(int raw = 8, std::string stationName = "Test") : WeatherStation(std::move(stationName)) {
        rawChannelCount = raw;
        channelCount = raw;
        for (int i = 0; i < raw; ++i) {
            channelNames.push_back("Raw" + std::to_string(i));
        }
        values.resize(static_cast<size_t>(raw));
    }

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }

    /// Appends a derived channel as the "Add" command does and returns it.
    template <class Kind>
    Kind& Add() {
        auto kind = std::make_unique<Kind>(this);
        Kind& ref = *kind;
        channelNames.push_back(ref.name);
        derived.push_back(std::move(kind));
        ++channelCount;
        values.emplace_back();
        return ref;
    }

    /// One reading: its time and the first raw values, then the derived channels.
    void Reading(TimeT time, const std::vector<std::string>& raw) {
        readingTime = time;
        for (size_t i = 0; i < raw.size(); ++i) {
            values[i] = raw[i];
        }
        CalculateDerivedChannels();
    }

    /// The output text of derived channel k.
    const std::string& Out(size_t k = 0) const { return values[static_cast<size_t>(rawChannelCount) + k]; }
};

}  // namespace svu::test
