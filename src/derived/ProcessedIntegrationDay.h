#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"
#include "stations/LocalTimeCache.h"

namespace svu {

/// The day's integral of the input above (or below) a reference, in input units x days (degree-days
/// for a temperature). Each reading's value counts for the interval since the reading before it.
class ProcessedIntegrationDay : public ProcessedKind<ProcessedIntegrationDay> {
public:
    static constexpr const char* kClassName = "ProcessedIntegrationDay";
    static constexpr uint32_t kTypeCode = 4;

    explicit ProcessedIntegrationDay(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;
    void Reset() override;

    int32_t sourceChannel = -1;
    uint32_t above = 1;  // 1 above the reference, 0 below
    float referenceValue = 0.0f;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }

private:
    // Double, not single precision: a day of one-second increments would lose whole digits.
    double accumulated = 0.0;
    bool restart = true;
    TimeT lastTime = 0;
    int lastDay = 0;  // local day of month of lastTime; 0 before the first reading
    LocalTimeCache localTime;
};

}  // namespace svu
