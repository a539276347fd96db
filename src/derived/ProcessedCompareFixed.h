#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// "1" when the input compares with a fixed value as chosen, else "0".
class ProcessedCompareFixed : public ProcessedKind<ProcessedCompareFixed> {
public:
    static constexpr const char* kClassName = "ProcessedCompareFixed";
    static constexpr uint32_t kTypeCode = 11;

    explicit ProcessedCompareFixed(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    float fixedValue = 0.0f;
    int32_t sourceChannel = -1;
    uint32_t operatorIndex = 2;

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }
};

}  // namespace svu
