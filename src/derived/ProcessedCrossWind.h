#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// Wind component across a reference direction (positive with the wind clockwise of it).
class ProcessedCrossWind : public ProcessedKind<ProcessedCrossWind> {
public:
    static constexpr const char* kClassName = "ProcessedCrossWind";
    static constexpr uint32_t kTypeCode = 7;

    explicit ProcessedCrossWind(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t directionChannel = -1;
    int32_t speedChannel = -1;
    float referenceAngle = 0.0f;

protected:
    References ChannelReferences() override { return {{&directionChannel, &speedChannel}, 2}; }
};

}  // namespace svu
