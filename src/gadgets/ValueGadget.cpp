#include "gadgets/ValueGadget.h"

#include <algorithm>
#include <mutex>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "framework/TextUtil.h"
#include "stations/WeatherStation.h"

namespace svu {

bool ReadSourceText(const GadgetSource& source, std::string& text) {
    if (!source.IsValid()) {
        return false;
    }
    const size_t index = static_cast<size_t>(source.channel) - 1;
    std::lock_guard guard(source.station->lock);
    if (index >= source.station->values.size()) {
        return false;
    }
    text = source.station->values[index];
    return true;
}

ValueGadget::ValueGadget(const ValueGadget& other)
    : Gadget(other),
      raw(other.raw),
      width(other.width),
      precision(other.precision),
      showSign(other.showSign),
      leadingZeros(other.leadingZeros) {
    CopySourcesFrom(other);
}

std::unique_ptr<Gadget> ValueGadget::Clone() const {
    return std::unique_ptr<Gadget>(new ValueGadget(*this));
}

void ValueGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    ar.Field(raw);
    ar.Field(width);
    ar.Field(precision);
    ar.Field(showSign);
    ar.Field(leadingZeros);
    SerializeSource(ar, 0);
}

bool ValueGadget::UpdateFromChannels() {
    std::string text;
    if (!ReadSourceText(source1, text) || text == lastValue) {
        return false;
    }
    lastValue = std::move(text);
    return true;
}

std::string ValueGadget::NumberFormat() const {
    // A file may hold any numbers here; the page's ranges keep the text to a sane length.
    const int w = std::clamp(width, kMinWidth, kMaxWidth);
    const int p = std::clamp(precision, kMinPrecision, kMaxPrecision);
    return std::string("%") + (showSign != 0 ? "+" : "") + (leadingZeros != 0 ? "0" : "") + std::to_string(w) + "." +
           std::to_string(p) + "f";
}

std::string ValueGadget::Text() const {
    if (raw != 0) {
        return lastValue;
    }
    const std::string format = NumberFormat();
    return FormatC(format.c_str(), AtoF(lastValue));
}

void ValueGadget::Paint(QPainter& painter, const QRect& client) {
    DrawCaptionedText(painter, client, QString::fromStdString(Text()));
}

void ValueGadget::VisitKindFields(FieldVisitor& v) {
    v.Bool32("raw", raw);
    v.Int32("width", width);
    v.Int32("precision", precision);
    v.Bool32("showSign", showSign);
    v.Bool32("leadingZeros", leadingZeros);
}

}  // namespace svu
