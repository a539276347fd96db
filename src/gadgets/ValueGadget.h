#pragma once

#include <memory>
#include <string>

#include "gadgets/Gadget.h"

namespace svu {

/// Copies the value text of a valid source under its station's lock; false (and `text` left
/// alone) when the source is not valid.
bool ReadSourceText(const GadgetSource& source, std::string& text);

/// A channel value shown as received or as a formatted number ("Value").
class ValueGadget : public Gadget {
public:
    static constexpr const char* kClassName = "ValueGadget";
    static constexpr int32_t kTypeCode = 3;
    static constexpr int32_t kMinWidth = 1;
    static constexpr int32_t kMaxWidth = 20;
    static constexpr int32_t kMinPrecision = 0;
    static constexpr int32_t kMaxPrecision = 6;

    ValueGadget() : Gadget(kTypeCode) {}

    const char* ClassName() const override { return kClassName; }
    /// The base record, the five format settings, then source 1.
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    /// True when the channel's value text differs from the one shown.
    bool UpdateFromChannels() override;
    void Paint(QPainter& painter, const QRect& client) override;
    void VisitKindFields(FieldVisitor& v) override;

    /// The text drawn: the last value as received, or as a number in the chosen format.
    std::string Text() const;
    /// The printf format of the settings ("%+08.2f" for signed, leading zeros, 8 and 2).
    std::string NumberFormat() const;

    int32_t raw = 1;
    int32_t width = 8;
    int32_t precision = 2;
    int32_t showSign = 0;
    int32_t leadingZeros = 0;
    std::string lastValue;

protected:
    ValueGadget(const ValueGadget& other);
};

}  // namespace svu
