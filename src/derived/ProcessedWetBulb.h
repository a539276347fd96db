#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// Wet-bulb temperature (deg C) from temperature, relative humidity and pressure.
class ProcessedWetBulb : public ProcessedKind<ProcessedWetBulb> {
public:
    static constexpr const char* kClassName = "ProcessedWetBulb";
    static constexpr uint32_t kTypeCode = 16;

    explicit ProcessedWetBulb(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t pressureChannel = -1;
    int32_t humidityChannel = -1;
    int32_t temperatureChannel = -1;

protected:
    References ChannelReferences() override { return {{&pressureChannel, &humidityChannel, &temperatureChannel}, 3}; }
};

}  // namespace svu
