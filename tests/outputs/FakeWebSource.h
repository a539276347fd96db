#pragma once

// A fixed set of stations for filling web templates in tests, fuzzing and benchmarks.

#include <string>
#include <vector>

#include "outputs/WebOutput.h"

namespace svu::test {

struct FakeStation {
    std::string name;
    std::vector<std::string> channels;
    std::vector<std::string> values;
};

class FakeWebSource : public WebValueSource {
public:
    explicit FakeWebSource(std::vector<FakeStation> stations) : stations_(std::move(stations)) {}

    std::size_t StationCount() const override { return stations_.size(); }
    std::string StationName(std::size_t station) const override { return stations_[station].name; }
    void CopyChannelNames(std::size_t station, std::vector<std::string>& names) const override {
        ++nameCopies;
        names = stations_[station].channels;
    }
    void CopyValue(std::size_t station, std::size_t channel, std::string& value) const override {
        const auto& values = stations_[station].values;
        value = channel < values.size() ? values[channel] : std::string();
    }

    mutable int nameCopies = 0;

private:
    std::vector<FakeStation> stations_;
};

}  // namespace svu::test
