#pragma once

#include <cstdint>

#include "derived/ExactSum.h"
#include "derived/ProcessedKind.h"
#include "derived/SampleWindow.h"

namespace svu {

/// Time-weighted vector mean of a direction (degrees) over the last `windowSeconds`, so that 350 and 10
/// average to 0 rather than 180.
class ProcessedAngleAverage : public ProcessedKind<ProcessedAngleAverage> {
public:
    static constexpr const char* kClassName = "ProcessedAngleAverage";
    static constexpr uint32_t kTypeCode = 6;

    explicit ProcessedAngleAverage(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

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
    // Sums of interval x sine and interval x cosine over every sample but the oldest.
    ExactSum sineSum;
    ExactSum cosineSum;
};

}  // namespace svu
