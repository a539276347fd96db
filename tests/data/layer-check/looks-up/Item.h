#pragma once
// A display item that reaches up into the property pages.
#include "gadgets/Gadget.h"
  #  include "pages/GadgetPages.h"
