#pragma once

#include <cstdint>
#include <string>

#include "derived/ProcessedKind.h"
#include "stations/LocalTimeCache.h"

namespace svu {

/// The day's maximum or minimum of the input, shown as the source's own text at the moment of the
/// extreme. A new local day starts a new period.
class ProcessedExtreme : public ProcessedKind<ProcessedExtreme> {
public:
    static constexpr const char* kClassName = "ProcessedExtreme";
    static constexpr uint32_t kTypeCode = 1;

    explicit ProcessedExtreme(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;
    void Reset() override;

    int32_t sourceChannel = -1;
    uint32_t maximum = 1;  // 1 maximum, 0 minimum

protected:
    References ChannelReferences() override { return {{&sourceChannel}, 1}; }

private:
    float extremeValue = 0.0f;
    std::string extremeText;
    int dayOfMonth = 0;
    bool restart = true;
    LocalTimeCache localTime;
};

}  // namespace svu
