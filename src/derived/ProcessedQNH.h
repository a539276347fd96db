#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// Sea-level pressure from a QFE channel and the runway's height.
class ProcessedQNH : public ProcessedKind<ProcessedQNH> {
public:
    static constexpr const char* kClassName = "ProcessedQNH";
    static constexpr uint32_t kTypeCode = 21;

    explicit ProcessedQNH(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t sourceChannel = -1;
    float runwayHeight = 0.0f;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }
};

}  // namespace svu
