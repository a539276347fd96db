#pragma once

#include <memory>
#include <string>

#include "framework/LocalTime.h"
#include "gadgets/Gadget.h"

namespace svu {

/// The current wind direction as a pointer on a 16-point compass dial, with the bearing in
/// degrees in the middle ("WindRose").
class WindRoseGadget : public Gadget {
public:
    static constexpr const char* kClassName = "WindRoseGadget";
    static constexpr int32_t kTypeCode = 7;

    WindRoseGadget();

    const char* ClassName() const override { return kClassName; }
    /// The base record, the pointer and rose colours, then the direction source.
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    /// On a new reading time of the source's station: true when the direction (as a float)
    /// differs from the one shown.
    bool UpdateFromChannels() override;
    void Paint(QPainter& painter, const QRect& client) override;
    void VisitKindFields(FieldVisitor& v) override;

    /// Makes the next refresh read the channel again whatever the reading time (after the
    /// property sheet).
    void ForgetReadingTime();

    float direction = 0;  // degrees
    TimeT lastReadingTime;
    uint32_t pointerColour = 0;
    uint32_t roseColour = 0;

protected:
    WindRoseGadget(const WindRoseGadget& other);
};

}  // namespace svu
