#include "gadgets/BitmapGadget.h"

#include <QPainter>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "framework/SafeName.h"

namespace svu {

namespace {

std::string& BitmapFolder() {
    static std::string folder;
    return folder;
}

}  // namespace

void SetGadgetBitmapFolder(std::string folder) {
    BitmapFolder() = std::move(folder);
}

const std::string& GadgetBitmapFolder() {
    return BitmapFolder();
}

std::string GadgetBitmapPath(const std::string& name) {
    // A display file from elsewhere must not make the program open files outside the folder.
    return PathInFolder(BitmapFolder(), name);
}

bool LoadGadgetBitmap(Gadget& gadget) {
    if (gadget.bitmapFile.empty()) {
        gadget.bitmap.Free();
        return false;
    }
    return gadget.bitmap.Load(GadgetBitmapPath(gadget.bitmapFile));
}

// The copy keeps the default main font and colour, as this kind's copy always did.
BitmapGadget::BitmapGadget(const BitmapGadget& other) : Gadget(other) {
    mainFont = GadgetFont{};
    mainColour = 0;
    bitmapFile = other.bitmapFile;
    LoadGadgetBitmap(*this);
}

std::unique_ptr<Gadget> BitmapGadget::Clone() const {
    return std::unique_ptr<Gadget>(new BitmapGadget(*this));
}

void BitmapGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    ar.Field(bitmapFile);
    if (ar.IsLoading()) {
        LoadGadgetBitmap(*this);
    }
}

void BitmapGadget::Paint(QPainter& painter, const QRect& client) {
    if (!bitmap.IsEmpty()) {
        bitmap.Paint(painter, client, QRect(0, 0, static_cast<int>(bitmap.Width()), static_cast<int>(bitmap.Height())));
    } else {
        painter.fillRect(client, ColourFromRef(backgroundColour));
    }
    DrawCaptions(painter, client);
}

void BitmapGadget::VisitKindFields(FieldVisitor& v) {
    v.String("bitmapFile", bitmapFile);
}

}  // namespace svu
