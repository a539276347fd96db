#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gadgets/Gadget.h"

namespace svu {

/// One of several texts chosen by a channel value ("Multi-text"): text i shows while the value
/// lies above point i - 1 and at or below point i; the last text above the point before last.
class MultiTextGadget : public Gadget {
public:
    static constexpr const char* kClassName = "MultiTextGadget";
    static constexpr int32_t kTypeCode = 11;

    MultiTextGadget() : Gadget(kTypeCode) {}

    const char* ClassName() const override { return kClassName; }
    /// The base record, the switching points, the texts, then source 1 (always by name).
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    /// True when the channel's value (as a number) differs from the one shown.
    bool UpdateFromChannels() override;
    void Paint(QPainter& painter, const QRect& client) override;
    void VisitKindFields(FieldVisitor& v) override;

    /// The index of the text for the current value; may lie beyond the texts (nothing shown).
    int TextIndex() const;

    float currentValue = 0;
    std::vector<float> switchingPoints;
    std::vector<std::string> texts;

protected:
    MultiTextGadget(const MultiTextGadget& other);
};

}  // namespace svu
