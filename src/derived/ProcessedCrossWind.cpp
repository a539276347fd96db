#include "derived/ProcessedCrossWind.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedCrossWind::Calculate(int outputChannel) {
    const std::string* direction = SourceText(directionChannel);
    if (direction == nullptr) {
        return;
    }
    const std::string* speed = SourceText(speedChannel);
    if (speed == nullptr) {
        return;
    }
    WriteNumber(outputChannel,
                CrossWindComponent(static_cast<float>(ParseValue(*direction)), ParseValue(*speed), referenceAngle));
}

void ProcessedCrossWind::VisitFields(FieldVisitor& v) {
    v.Int32("directionChannel", directionChannel);
    v.Int32("speedChannel", speedChannel);
    v.Float("referenceAngle", referenceAngle);
}

}  // namespace svu
