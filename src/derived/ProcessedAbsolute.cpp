#include "derived/ProcessedAbsolute.h"

#include <cmath>

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedAbsolute::Calculate(int outputChannel) {
    const std::string* source = SourceText(sourceChannel);
    if (source == nullptr) {
        return;
    }
    WriteNumber(outputChannel, std::fabs(ParseValue(*source)));
}

void ProcessedAbsolute::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
}

}  // namespace svu
