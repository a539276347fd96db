#pragma once

#include <cstdint>

#include "derived/ProcessedKind.h"
#include "derived/SampleWindow.h"

namespace svu {

/// Fraction (0 to 1) of the last `windowSeconds` during which the wind blew from a sector.
class ProcessedTimeInSector : public ProcessedKind<ProcessedTimeInSector> {
public:
    static constexpr const char* kClassName = "ProcessedTimeInSector";
    static constexpr uint32_t kTypeCode = 12;

    explicit ProcessedTimeInSector(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;
    void Reset() override;

    /// The retained samples, oldest first.
    const SampleWindow& Samples() const { return samples; }

    int32_t directionChannel = -1;
    float sectorFrom = 0.0f;
    float sectorTo = 0.0f;
    int32_t windowSeconds = 3600;

protected:
    References ChannelReferences() override { return {{&directionChannel}, 1}; }

private:
    bool Inside(const Sample& sample) const;
    int64_t InsideSeconds(const Sample& previous, const Sample& sample) const;
    /// Recounts the retained samples when the sector has been edited since they were counted.
    void FollowSector();

    SampleWindow samples;
    int64_t insideSeconds = 0;  // sum of the intervals of in-sector samples, the oldest excluded
    float countedFrom = 0.0f;   // the sector insideSeconds was counted with
    float countedTo = 0.0f;
};

}  // namespace svu
