#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"

namespace svu {

/// Dew point (deg C) from vapour pressure (mb).
class ProcessedDew : public ProcessedKind<ProcessedDew> {
public:
    static constexpr const char* kClassName = "ProcessedDew";
    static constexpr uint32_t kTypeCode = 3;

    explicit ProcessedDew(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;

    int32_t vapourChannel = -1;

protected:
    References ChannelReferences() override { return {{&vapourChannel}, 1}; }
};

}  // namespace svu
