#include "derived/ProcessedWindTo.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedWindTo::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    WriteNumber(outputChannel, WindToDirection(*source));
}

void ProcessedWindTo::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
}

}  // namespace svu
