#include "derived/ProcessedQNH.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedQNH::Calculate(int outputChannel) {
    const std::string* qfe = SourceText(sourceChannel);
    if (qfe == nullptr) {
        return;
    }
    WriteNumber(outputChannel, QnhPressure(ParseValue(*qfe), runwayHeight));
}

void ProcessedQNH::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.Float("runwayHeight", runwayHeight);
}

}  // namespace svu
