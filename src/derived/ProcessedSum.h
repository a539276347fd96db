#pragma once

#include <cstdint>
#include <vector>

#include "derived/ProcessedKind.h"

namespace svu {

/// The sum of a list of channels; entries that name no channel are skipped.
class ProcessedSum : public ProcessedKind<ProcessedSum> {
public:
    static constexpr const char* kClassName = "ProcessedSum";
    static constexpr uint32_t kTypeCode = 9;

    explicit ProcessedSum(WeatherStation* owner = nullptr) : ProcessedKind(owner) {}

    void Calculate(int outputChannel) override;
    void VisitFields(FieldVisitor& v) override;
    /// An entry naming the deleted channel leaves the list; later channels move down.
    void OnChannelDeleted(int index) override;
    void OnChannelInserted(int index) override;

    std::vector<uint32_t> channels;
};

}  // namespace svu
