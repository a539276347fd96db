#include "derived/ProcessedScale.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedScale::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    WriteNumber(outputChannel, ScaleValue(*source, gain, offset));
}

void ProcessedScale::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.Float("gain", gain);
    v.Float("offset", offset);
}

}  // namespace svu
