#include "derived/ProcessedSectorSpeed.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedSectorSpeed::Calculate(int outputChannel) {
    const std::optional<double> direction = SourceNumber(directionChannel);
    if (!direction) {
        return;
    }
    const std::optional<double> speed = SourceNumber(speedChannel);
    if (!speed) {
        return;
    }
    const float d = static_cast<float>(*direction);
    const float s = static_cast<float>(*speed);
    WriteText(outputChannel, s > speedThreshold && InSector(d, sectorFrom, sectorTo) ? "1" : "0");
}

void ProcessedSectorSpeed::VisitFields(FieldVisitor& v) {
    v.Int32("directionChannel", directionChannel);
    v.Int32("speedChannel", speedChannel);
    v.Float("sectorFrom", sectorFrom);
    v.Float("sectorTo", sectorTo);
    v.Float("speedThreshold", speedThreshold);
}

}  // namespace svu
