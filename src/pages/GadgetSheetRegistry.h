#pragma once

// Which property sheet belongs to which kind of display item. The items know nothing of their
// pages (the pages include the items, never the reverse); the view asks this registry for the sheet
// of an item's kind. One explicit table, in type-code order, beside the table of kinds.

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace svu {

class Gadget;
class PropertySheet;
struct GadgetSheetContext;

class GadgetSheetRegistry {
public:
    /// Builds the sheet of one kind for an item of that kind; nullptr when the item is not of it.
    using Maker = std::function<std::unique_ptr<PropertySheet>(QWidget* parent, Gadget& gadget,
                                                               const GadgetSheetContext& context)>;

    /// The program's registry: a sheet for every kind of GadgetKinds().
    static GadgetSheetRegistry& Instance();

    /// Sets the sheet of kind `typeCode`; returns the maker it had (empty when none), so a caller
    /// that replaces one for a while can put it back.
    Maker Register(int typeCode, Maker maker);
    /// Whether kind `typeCode` has a sheet.
    bool Has(int typeCode) const;

    /// The sheet of the item's kind (by its type code), built but not run; nullptr when the kind
    /// has none.
    std::unique_ptr<PropertySheet> MakeSheet(QWidget* parent, Gadget& gadget, const GadgetSheetContext& context) const;
    /// Runs that sheet modally with the program's sheet context; true when it was closed with OK
    /// (false, and nothing shown, for a kind without a sheet).
    bool Edit(QWidget* parent, Gadget& gadget) const;

private:
    GadgetSheetRegistry();

    std::vector<Maker> makers_;  // by type code
};

}  // namespace svu
