#include "derived/ProcessedDew.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedDew::Calculate(int outputChannel) {
    const std::optional<double> vapour = SourceNumber(vapourChannel);
    if (!vapour) {
        return;
    }
    if (const auto dew = DewPoint(*vapour)) {
        WriteNumber(outputChannel, *dew);
    }
}

void ProcessedDew::VisitFields(FieldVisitor& v) {
    v.Int32("vapourChannel", vapourChannel);
}

}  // namespace svu
