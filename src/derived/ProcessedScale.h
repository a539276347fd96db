#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// output = input x gain + offset.
class ProcessedScale : public ProcessedKind<ProcessedScale> {
public:
    static constexpr const char* kClassName = "ProcessedScale";
    static constexpr uint32_t kTypeCode = 0;

    explicit ProcessedScale(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t sourceChannel = -1;
    float gain = 1.0f;
    float offset = 0.0f;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }
};

}  // namespace svu
