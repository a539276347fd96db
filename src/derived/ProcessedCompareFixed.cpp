#include "derived/ProcessedCompareFixed.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedCompareFixed::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    WriteText(outputChannel,
              CompareWithFixed(static_cast<float>(*source), operatorIndex, fixedValue) ? "1" : "0");
}

void ProcessedCompareFixed::VisitFields(FieldVisitor& v) {
    v.Float("fixedValue", fixedValue);
    v.Int32("sourceChannel", sourceChannel);
    v.UInt32("operatorIndex", operatorIndex);
}

}  // namespace svu
