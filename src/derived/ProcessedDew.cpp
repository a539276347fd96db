#include "derived/ProcessedDew.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedDew::Calculate(int outputChannel) {
    const std::string* vapour = SourceText(vapourChannel);
    if (vapour == nullptr) {
        return;
    }
    if (const auto dew = DewPoint(ParseValue(*vapour))) {
        WriteNumber(outputChannel, *dew);
    }
}

void ProcessedDew::VisitFields(FieldVisitor& v) {
    v.Int32("vapourChannel", vapourChannel);
}

}  // namespace svu
