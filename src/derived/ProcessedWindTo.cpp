#include "derived/ProcessedWindTo.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedWindTo::Calculate(int outputChannel) {
    const std::string* source = SourceText(sourceChannel);
    if (source == nullptr) {
        return;
    }
    WriteNumber(outputChannel, WindToDirection(ParseValue(*source)));
}

void ProcessedWindTo::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
}

}  // namespace svu
