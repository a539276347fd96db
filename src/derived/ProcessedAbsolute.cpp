#include "derived/ProcessedAbsolute.h"

#include <cmath>

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedAbsolute::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    WriteNumber(outputChannel, std::fabs(*source));
}

void ProcessedAbsolute::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
}

}  // namespace svu
