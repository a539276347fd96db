#pragma once

#include <memory>
#include <string>

#include "gadgets/RealtimeRose.h"

namespace svu {

/// The wind run of a sliding window summed per direction sector ("Realtime wind rose"), with the
/// prevailing direction and the total run as its top-left caption.
class RTWindRoseGadget : public RealtimeRoseGadget {
public:
    static constexpr const char* kClassName = "RTWindRoseGadget";
    static constexpr int32_t kTypeCode = 9;

    RTWindRoseGadget() : RealtimeRoseGadget(kTypeCode) {}

    const char* ClassName() const override { return kClassName; }
    /// The base record, the bitmap's name, rose and fill colours, speed and distance units,
    /// origin, radius, step, window, then the speed and direction sources.
    void Serialize(Archive& ar) override { SerializeRose(ar); }
    std::unique_ptr<Gadget> Clone() const override;
    HistoryKey CurrentHistoryKey() const override;

    /// "Prevailing direction 045 Deg, Wind run 12.3 Metres" for the window's samples.
    std::string Caption() const;

    int32_t speedUnit = 0;     // SpeedUnit: how the speed channel is read
    int32_t distanceUnit = 0;  // DistanceUnit: how the wind run is shown

protected:
    RTWindRoseGadget(const RTWindRoseGadget& other) = default;

    void SerializeUnits(Archive& ar) override;
    void VisitUnits(FieldVisitor& v) override;
    /// Wind run in metres: the speed in metres per second times the seconds.
    double Amount(double value, TimeT elapsed) const override;
    /// The caption replaces the top-left text.
    void TotalsChanged() override { topLeftText = Caption(); }
};

}  // namespace svu
