#pragma once

#include <memory>

#include "gadgets/RealtimeRose.h"

namespace svu {

/// The dust dose (concentration times seconds) of a sliding window summed per direction sector
/// ("Realtime dust rose").
class RTDustRoseGadget : public RealtimeRoseGadget {
public:
    static constexpr const char* kClassName = "RTDustRoseGadget";
    static constexpr int32_t kTypeCode = 10;

    RTDustRoseGadget() : RealtimeRoseGadget(kTypeCode) {}

    const char* ClassName() const override { return kClassName; }
    /// The base record, the bitmap's name, rose and fill colours, origin, radius, step, window,
    /// then the concentration and direction sources.
    void Serialize(Archive& ar) override { SerializeRose(ar); }
    std::unique_ptr<Gadget> Clone() const override;

protected:
    RTDustRoseGadget(const RTDustRoseGadget& other) = default;

    double Amount(double value, TimeT elapsed) const override { return static_cast<double>(elapsed) * value; }
};

}  // namespace svu
