#include "derived/ProcessedCrossWind.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedCrossWind::Calculate(int outputChannel) {
    const std::optional<double> direction = SourceNumber(directionChannel);
    if (!direction) {
        return;
    }
    const std::optional<double> speed = SourceNumber(speedChannel);
    if (!speed) {
        return;
    }
    WriteNumber(outputChannel,
                CrossWindComponent(static_cast<float>(*direction), *speed, referenceAngle));
}

void ProcessedCrossWind::VisitFields(FieldVisitor& v) {
    v.Int32("directionChannel", directionChannel);
    v.Int32("speedChannel", speedChannel);
    v.Float("referenceAngle", referenceAngle);
}

}  // namespace svu
