#pragma once

#include <cstdint>
#include <string>

#include "derived/ProcessedKind.h"

namespace svu {

/// A channel of this station divided by a channel of any station (this one included).
class ProcessedChannelRatio : public ProcessedKind<ProcessedChannelRatio> {
public:
    static constexpr const char* kClassName = "ProcessedChannelRatio";
    static constexpr uint32_t kTypeCode = 13;

    explicit ProcessedChannelRatio(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;
    void OnStationRemoved(const WeatherStation& removed) override;
    StationLink LinkedStation() override { return {"remoteStation", &remoteStation}; }

    int32_t numeratorChannel = -1;
    int32_t remoteChannel = -1;
    WeatherStation* remoteStation = nullptr;  // not owned; none when null

protected:
    /// The two indexes and the station reference (null when none).
    void SerializeFields(Archive& ar) override;
    /// The remote channel follows this station's channels only when it lies in this station.
    References ChannelReferences() override;

private:
    std::string divisorText;  // reused, so a reading allocates nothing
};

}  // namespace svu
