#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// Pressure at the runway from the sensor's pressure and temperature and its height above the runway.
class ProcessedQFE : public ProcessedKind<ProcessedQFE> {
public:
    static constexpr const char* kClassName = "ProcessedQFE";
    static constexpr uint32_t kTypeCode = 20;

    explicit ProcessedQFE(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t pressureChannel = -1;
    int32_t temperatureChannel = -1;
    float sensorHeight = 0.0f;

protected:
    References ChannelReferences() override { return {{&pressureChannel, &temperatureChannel}, 2}; }
};

}  // namespace svu
