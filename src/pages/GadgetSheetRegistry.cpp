#include "pages/GadgetSheetRegistry.h"

#include "gadgets/BitmapGadget.h"
#include "gadgets/DateGadget.h"
#include "gadgets/GraphGadget.h"
#include "gadgets/MultiStateGadget.h"
#include "gadgets/MultiTextGadget.h"
#include "gadgets/OverlayGadget.h"
#include "gadgets/RTDustRoseGadget.h"
#include "gadgets/RTWindRoseGadget.h"
#include "gadgets/TextGadget.h"
#include "gadgets/TimeGadget.h"
#include "gadgets/ValueGadget.h"
#include "gadgets/WindRoseGadget.h"
#include "pages/GadgetPages.h"
#include "pages/GraphPages.h"
#include "pages/OverlayPages.h"
#include "pages/PropertySheet.h"
#include "pages/RosePages.h"
#include "pages/StatePages.h"
#include "pages/ValuePages.h"

namespace svu {

namespace {

using Sheet = std::unique_ptr<PropertySheet>;

// A maker for the items of class `Item`; an item of another class (a record whose type code
// disagrees with its class) gets no sheet rather than the wrong one.
template <class Item>
GadgetSheetRegistry::Maker For(Sheet (*make)(QWidget*, Item&, const GadgetSheetContext&)) {
    return [make](QWidget* parent, Gadget& gadget, const GadgetSheetContext& context) -> Sheet {
        auto* item = dynamic_cast<Item*>(&gadget);
        return item != nullptr ? make(parent, *item, context) : nullptr;
    };
}

Sheet TextSheet(QWidget* parent, TextGadget& gadget, const GadgetSheetContext& context) {
    return MakeTextSheet(parent, gadget, gadget.text, context);
}

// The date and time items have only the base class's "Basic" page.
template <class Item>
Sheet BasicSheet(QWidget* parent, Item& gadget, const GadgetSheetContext& context) {
    return MakeBasicSheet(parent, gadget, context);
}

Sheet BitmapSheet(QWidget* parent, BitmapGadget& gadget, const GadgetSheetContext& context) {
    return MakeBitmapSheet(parent, gadget, context);
}

}  // namespace

GadgetSheetRegistry::GadgetSheetRegistry() {
    // In type-code order, as GadgetKinds() lists the kinds.
    makers_ = {
        For<TextGadget>(TextSheet),
        For<DateGadget>(BasicSheet<DateGadget>),
        For<TimeGadget>(BasicSheet<TimeGadget>),
        For<ValueGadget>(MakeValueSheet),
        For<BitmapGadget>(BitmapSheet),
        For<MultiStateGadget>(MakeMultiStateSheet),
        For<OverlayGadget>(MakeOverlaySheet),
        For<WindRoseGadget>(MakeWindRoseSheet),
        For<GraphGadget>(MakeGraphSheet),
        For<RTWindRoseGadget>(MakeRTWindRoseSheet),
        For<RTDustRoseGadget>(MakeRTDustRoseSheet),
        For<MultiTextGadget>(MakeMultiTextSheet),
    };
}

GadgetSheetRegistry& GadgetSheetRegistry::Instance() {
    static GadgetSheetRegistry registry;
    return registry;
}

GadgetSheetRegistry::Maker GadgetSheetRegistry::Register(int typeCode, Maker maker) {
    if (typeCode < 0) {
        return {};
    }
    const auto index = static_cast<size_t>(typeCode);
    if (index >= makers_.size()) {
        makers_.resize(index + 1);
    }
    Maker previous = std::move(makers_[index]);
    makers_[index] = std::move(maker);
    return previous;
}

bool GadgetSheetRegistry::Has(int typeCode) const {
    return typeCode >= 0 && static_cast<size_t>(typeCode) < makers_.size() &&
           static_cast<bool>(makers_[static_cast<size_t>(typeCode)]);
}

std::unique_ptr<PropertySheet> GadgetSheetRegistry::MakeSheet(QWidget* parent, Gadget& gadget,
                                                              const GadgetSheetContext& context) const {
    if (!Has(gadget.typeCode)) {
        return nullptr;
    }
    return makers_[static_cast<size_t>(gadget.typeCode)](parent, gadget, context);
}

bool GadgetSheetRegistry::Edit(QWidget* parent, Gadget& gadget) const {
    std::unique_ptr<PropertySheet> sheet = MakeSheet(parent, gadget, CurrentGadgetSheetContext());
    return sheet != nullptr && RunGadgetSheet(*sheet);
}

}  // namespace svu
