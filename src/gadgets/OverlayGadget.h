#pragma once

#include <QPoint>
#include <memory>
#include <string>

#include "gadgets/Gadget.h"

namespace svu {

/// A wind-direction rose with a pointer drawn over a picture ("Overlay"), at a chosen origin and
/// radius, so that a pointer can lie over a photograph or a site plan.
class OverlayGadget : public Gadget {
public:
    static constexpr const char* kClassName = "OverlayGadget";
    static constexpr int32_t kTypeCode = 6;

    OverlayGadget() : Gadget(kTypeCode) {}

    const char* ClassName() const override { return kClassName; }
    /// The base record, the bitmap's name, the pointer and rose settings, source 1, then
    /// "Point inwards" (from schema 3).
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    /// True when the direction (as a number) differs from the one shown.
    bool UpdateFromChannels() override;
    void Paint(QPainter& painter, const QRect& client) override;
    void VisitKindFields(FieldVisitor& v) override;
    bool UsesMainFont() const override { return false; }


    float direction = 0;
    int32_t pointerWidth = 10;   // pixels, 1 to 100
    int32_t pointerLength = 75;  // percent of the radius, 1 to 100
    int32_t radius = 40;         // pixels, 1 to 1000
    int32_t originX = 75;        // 0 to 1000
    int32_t originY = 75;
    uint32_t pointerColour = 0;
    uint32_t roseColour = 0;
    int32_t pointInwards = 0;

protected:
    OverlayGadget(const OverlayGadget& other);
};

}  // namespace svu
