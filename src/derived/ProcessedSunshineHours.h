#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"
#include "stations/LocalTimeCache.h"

namespace svu {

/// Hours of sunshine today: intervals whose readings at both ends reach the irradiance threshold (W/m2).
class ProcessedSunshineHours : public ProcessedKind<ProcessedSunshineHours> {
public:
    static constexpr const char* kClassName = "ProcessedSunshineHours";
    static constexpr uint32_t kTypeCode = 15;

    explicit ProcessedSunshineHours(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;
    void Reset() override;

    int32_t sourceChannel = -1;
    float threshold = 0.0f;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }

private:
    bool started = false;
    TimeT lastTime = 0;
    int lastDay = 0;
    float lastValue = 0.0f;
    // Double, not single precision: a day of one-second increments would lose whole digits.
    double hours = 0.0;
    LocalTimeCache localTime;
};

}  // namespace svu
