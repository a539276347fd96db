#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// The magnitude of the input.
class ProcessedAbsolute : public ProcessedKind<ProcessedAbsolute> {
public:
    static constexpr const char* kClassName = "ProcessedAbsolute";
    static constexpr uint32_t kTypeCode = 19;

    explicit ProcessedAbsolute(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t sourceChannel = -1;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }
};

}  // namespace svu
