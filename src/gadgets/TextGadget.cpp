#include "gadgets/TextGadget.h"

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "pages/GadgetPages.h"
#include "pages/PropertySheet.h"

namespace svu {

void TextGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    ar.Field(text);
}

void TextGadget::Paint(QPainter& painter, const QRect& client) {
    DrawCaptionedText(painter, client, QString::fromStdString(text));
}

bool TextGadget::EditProperties(QWidget* parent) {
    auto sheet = MakeTextSheet(parent, *this, text, CurrentGadgetSheetContext());
    return RunGadgetSheet(*sheet);
}

void TextGadget::VisitKindFields(FieldVisitor& v) {
    v.String("text", text);
}

}  // namespace svu
