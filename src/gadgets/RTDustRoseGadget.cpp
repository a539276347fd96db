#include "gadgets/RTDustRoseGadget.h"

namespace svu {

std::unique_ptr<Gadget> RTDustRoseGadget::Clone() const {
    return std::unique_ptr<Gadget>(new RTDustRoseGadget(*this));
}

}  // namespace svu
