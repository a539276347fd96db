#pragma once

#include <memory>
#include <string>

#include "gadgets/Gadget.h"

namespace svu {

/// The folder that display items' bitmap names are relative to (the program folder); empty:
/// the current folder. The program sets it at start, before any display file is read.
void SetGadgetBitmapFolder(std::string folder);
const std::string& GadgetBitmapFolder();
/// The full path of an item's bitmap name (an absolute name stands as it is).
std::string GadgetBitmapPath(const std::string& name);
/// Loads `gadget.bitmap` from the bitmap folder plus `gadget.bitmapFile`; an empty name or a
/// missing or unreadable file leaves it empty (the item then draws its background colour).
bool LoadGadgetBitmap(Gadget& gadget);

/// A picture from a bitmap file with the two corner captions ("Bitmap").
class BitmapGadget : public Gadget {
public:
    static constexpr const char* kClassName = "BitmapGadget";
    static constexpr int32_t kTypeCode = 4;

    BitmapGadget() : Gadget(kTypeCode) {}

    const char* ClassName() const override { return kClassName; }
    /// The base record, then the bitmap's file name (the picture is loaded when reading).
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    void Paint(QPainter& painter, const QRect& client) override;
    void VisitKindFields(FieldVisitor& v) override;
    bool UsesMainFont() const override { return false; }

protected:
    BitmapGadget(const BitmapGadget& other);
};

}  // namespace svu
