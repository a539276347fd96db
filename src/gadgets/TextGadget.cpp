#include "gadgets/TextGadget.h"

#include "framework/Archive.h"

namespace svu {

void TextGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    ar.Field(text);
}

void TextGadget::Paint(QPainter& painter, const QRect& client) {
    DrawCaptionedText(painter, client, QString::fromStdString(text));
}

}  // namespace svu
