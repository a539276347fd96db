#include "derived/ProcessedScale.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedScale::Calculate(int outputChannel) {
    const std::string* source = SourceText(sourceChannel);
    if (source == nullptr) {
        return;
    }
    WriteNumber(outputChannel, ScaleValue(ParseValue(*source), gain, offset));
}

void ProcessedScale::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.Float("gain", gain);
    v.Float("offset", offset);
}

}  // namespace svu
