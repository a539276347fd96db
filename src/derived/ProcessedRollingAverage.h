#pragma once

#include <cstdint>

#include "derived/ExactSum.h"
#include "derived/ProcessedKind.h"
#include "derived/SampleWindow.h"

namespace svu {

/// Time-weighted mean of the input over the last `windowSeconds`: each reading counts for the interval
/// since the reading before it.
class ProcessedRollingAverage : public ProcessedKind<ProcessedRollingAverage> {
public:
    static constexpr const char* kClassName = "ProcessedRollingAverage";
    static constexpr uint32_t kTypeCode = 5;

    explicit ProcessedRollingAverage(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;
    void Reset() override;

    /// The retained samples, oldest first.
    const SampleWindow& Samples() const { return samples; }

    int32_t sourceChannel = -1;
    int32_t windowSeconds = 10;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }

private:
    SampleWindow samples;
    ExactSum weightedSum;  // sum of value x interval over every sample but the oldest
};

}  // namespace svu
