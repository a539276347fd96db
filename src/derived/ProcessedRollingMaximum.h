#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"
#include "derived/RunningMaximum.h"
#include "derived/SampleWindow.h"

namespace svu {

/// The largest input value of the last `windowSeconds`.
class ProcessedRollingMaximum : public ProcessedKind<ProcessedRollingMaximum> {
public:
    static constexpr const char* kClassName = "ProcessedRollingMaximum";
    static constexpr uint32_t kTypeCode = 14;

    explicit ProcessedRollingMaximum(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

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
    RunningMaximum maximum;
};

}  // namespace svu
