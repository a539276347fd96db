#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// The direction the wind blows to: the input direction plus 180 degrees.
class ProcessedWindTo : public ProcessedKind<ProcessedWindTo> {
public:
    static constexpr const char* kClassName = "ProcessedWindTo";
    static constexpr uint32_t kTypeCode = 8;

    explicit ProcessedWindTo(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t sourceChannel = -1;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }
};

}  // namespace svu
