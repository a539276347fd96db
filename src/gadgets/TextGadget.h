#pragma once

#include <memory>
#include <string>

#include "gadgets/Gadget.h"

namespace svu {

/// A fixed text with the two corner captions ("Text" in the "Add Display Item" list).
class TextGadget : public Gadget {
public:
    static constexpr const char* kClassName = "TextGadget";
    static constexpr int32_t kTypeCode = 0;

    TextGadget() : Gadget(kTypeCode) {}

    const char* ClassName() const override { return kClassName; }
    /// The base record, then the text.
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override { return std::unique_ptr<Gadget>(new TextGadget(*this)); }
    void Paint(QPainter& painter, const QRect& client) override;
    void VisitKindFields(FieldVisitor& v) override;

    std::string text = "Text";

protected:
    TextGadget(const TextGadget& other) : Gadget(other), text(other.text) {}
};

}  // namespace svu
