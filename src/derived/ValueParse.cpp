#include "derived/ValueParse.h"

#include "framework/TextUtil.h"

namespace svu {

double ParseValue(std::string_view text) {
    return AtoF(text);
}

}  // namespace svu
