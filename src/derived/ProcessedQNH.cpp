#include "derived/ProcessedQNH.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedQNH::Calculate(int outputChannel) {
    const std::optional<double> qfe = SourceNumber(sourceChannel);
    if (!qfe) {
        return;
    }
    WriteNumber(outputChannel, QnhPressure(*qfe, runwayHeight));
}

void ProcessedQNH::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.Float("runwayHeight", runwayHeight);
}

}  // namespace svu
