#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// Beaufort force of a wind speed in m/s, as a number or as its name.
class ProcessedBeaufort : public ProcessedKind<ProcessedBeaufort> {
public:
    static constexpr const char* kClassName = "ProcessedBeaufort";
    static constexpr uint32_t kTypeCode = 17;

    explicit ProcessedBeaufort(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t sourceChannel = -1;
    uint32_t textDescription = 0;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }
};

}  // namespace svu
