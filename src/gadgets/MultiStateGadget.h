#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "gadgets/Gadget.h"

namespace svu {

/// Which state a value is in: the number of the first `consulted` switching points, in order,
/// that lie below `value`, stopping at the first that does not.
int SwitchingIndex(const std::vector<float>& points, size_t consulted, float value);

/// Reads a channel value as a number into `value` (float32); true when it changed.
bool ReadSourceNumber(const GadgetSource& source, float& value);

/// One of several pictures chosen by a channel value ("Multi-state"): the bitmap is a strip of
/// `imageCount` pictures of equal width side by side.
class MultiStateGadget : public Gadget {
public:
    static constexpr const char* kClassName = "MultiStateGadget";
    static constexpr int32_t kTypeCode = 5;
    static constexpr int32_t kMinImages = 2;
    static constexpr int32_t kMaxImages = 99;

    MultiStateGadget() : Gadget(kTypeCode) {}

    const char* ClassName() const override { return kClassName; }
    /// The base record, the switching points, the image count, the bitmap's name, then source 1.
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    /// True when the channel's value (as a number) differs from the one shown.
    bool UpdateFromChannels() override;
    void Paint(QPainter& painter, const QRect& client) override;
    void VisitKindFields(FieldVisitor& v) override;
    bool UsesMainFont() const override { return false; }

    /// The picture shown for the current value (0 while no image count is set).
    int ImageIndex() const;
    /// The part of the bitmap that picture `index` takes (the whole bitmap while no count is set).
    QRect ImageSource(int index) const;

    float currentValue = 0;
    int32_t imageCount = 0;  // 2 to 99 once the "States" page was accepted
    std::vector<float> switchingPoints;

protected:
    MultiStateGadget(const MultiStateGadget& other);
};

}  // namespace svu
