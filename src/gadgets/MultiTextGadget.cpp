#include "gadgets/MultiTextGadget.h"

#include <QPainter>
#include <bit>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "framework/TextUtil.h"
#include "gadgets/MultiStateGadget.h"

namespace svu {

// The copy keeps the default background, as this kind's copy always did.
MultiTextGadget::MultiTextGadget(const MultiTextGadget& other)
    : Gadget(other), switchingPoints(other.switchingPoints), texts(other.texts) {
    backgroundColour = kDefaultBackground;
    CopySourcesFrom(other);
}

std::unique_ptr<Gadget> MultiTextGadget::Clone() const {
    return std::unique_ptr<Gadget>(new MultiTextGadget(*this));
}

void MultiTextGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    std::vector<uint32_t> words;
    if (ar.IsStoring()) {
        for (float point : switchingPoints) {
            words.push_back(std::bit_cast<uint32_t>(point));
        }
    }
    ar.DWordArray(words);
    ar.StringArray(texts);
    // This kind came after sources were stored by name: even a schema-1 record names its channel.
    const int32_t readSchema = schema;
    if (ar.IsLoading() && schema == 1) {
        schema = 2;
    }
    SerializeSource(ar, 0);
    schema = readSchema;
    if (ar.IsLoading()) {
        switchingPoints.clear();
        for (uint32_t word : words) {
            switchingPoints.push_back(std::bit_cast<float>(word));
        }
    }
}

bool MultiTextGadget::UpdateFromChannels() {
    return ReadSourceNumber(source1, currentValue);
}

int MultiTextGadget::TextIndex() const {
    const size_t consulted = switchingPoints.empty() ? 0 : switchingPoints.size() - 1;
    return SwitchingIndex(switchingPoints, consulted, currentValue);
}

void MultiTextGadget::Paint(QPainter& painter, const QRect& client) {
    const auto index = static_cast<size_t>(TextIndex());
    if (index >= texts.size()) {
        painter.fillRect(client, ColourFromRef(backgroundColour));
        DrawCaptions(painter, client);
        return;
    }
    DrawCaptionedText(painter, client, QString::fromStdString(texts[index]));
}

void MultiTextGadget::VisitKindFields(FieldVisitor& v) {
    VisitFloatList(v, "switchingPoints", switchingPoints);
    v.StringArray("texts", texts);
}

}  // namespace svu
