#include "gadgets/TextGadget.h"

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"

namespace svu {

void TextGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    ar.Field(text);
}

void TextGadget::Paint(QPainter& painter, const QRect& client) {
    DrawCaptionedText(painter, client, QString::fromStdString(text));
}

void TextGadget::VisitKindFields(FieldVisitor& v) {
    v.String("text", text);
}

}  // namespace svu
