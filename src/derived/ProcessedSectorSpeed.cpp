#include "derived/ProcessedSectorSpeed.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedSectorSpeed::Calculate(int outputChannel) {
    const std::string* direction = SourceText(directionChannel);
    if (direction == nullptr) {
        return;
    }
    const std::string* speed = SourceText(speedChannel);
    if (speed == nullptr) {
        return;
    }
    const float d = static_cast<float>(ParseValue(*direction));
    const float s = static_cast<float>(ParseValue(*speed));
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
