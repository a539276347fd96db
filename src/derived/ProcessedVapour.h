#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// Vapour pressure (mb) from temperature (deg C) and relative humidity (%).
class ProcessedVapour : public ProcessedKind<ProcessedVapour> {
public:
    static constexpr const char* kClassName = "ProcessedVapour";
    static constexpr uint32_t kTypeCode = 2;

    explicit ProcessedVapour(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t temperatureChannel = -1;
    int32_t humidityChannel = -1;

protected:
    References ChannelReferences() override { return {{&temperatureChannel, &humidityChannel}, 2}; }
};

}  // namespace svu
