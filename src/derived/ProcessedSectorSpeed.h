#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// "1" while the wind blows from a sector faster than a threshold, else "0".
class ProcessedSectorSpeed : public ProcessedKind<ProcessedSectorSpeed> {
public:
    static constexpr const char* kClassName = "ProcessedSectorSpeed";
    static constexpr uint32_t kTypeCode = 10;

    explicit ProcessedSectorSpeed(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t directionChannel = -1;
    int32_t speedChannel = -1;
    float sectorFrom = 0.0f;
    float sectorTo = 0.0f;
    float speedThreshold = 0.0f;

protected:
    References ChannelReferences() override { return {{&directionChannel, &speedChannel}, 2}; }
};

}  // namespace svu
