#pragma once

#include <memory>

#include "stations/ProcessedData.h"

namespace svu {

/// The parts every derived kind shares: its class name, type code and copy. `Kind` declares
/// kClassName and kTypeCode.
template <class Kind>
class ProcessedKind : public ProcessedData {
public:
    const char* ClassName() const override { return Kind::kClassName; }
    std::unique_ptr<ProcessedData> Clone() const override {
        return std::make_unique<Kind>(static_cast<const Kind&>(*this));
    }

protected:
    explicit ProcessedKind(WeatherStation* owner) : ProcessedData(owner, Kind::kTypeCode) {}
};

}  // namespace svu
