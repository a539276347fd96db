#include "gadgets/RTDustRoseGadget.h"

#include "pages/RosePages.h"

namespace svu {

std::unique_ptr<Gadget> RTDustRoseGadget::Clone() const {
    return std::unique_ptr<Gadget>(new RTDustRoseGadget(*this));
}

bool RTDustRoseGadget::EditProperties(QWidget* parent) {
    return EditRTDustRoseProperties(parent, *this);
}

}  // namespace svu
