#pragma once
// Mentions pages/GadgetPages.h only in a comment; includes only what lies below it.
#include "gadgets/Gadget.h"
#include "framework/TextUtil.h"
