#include "gadgets/RTWindRoseGadget.h"

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "framework/TextUtil.h"

namespace svu {

std::unique_ptr<Gadget> RTWindRoseGadget::Clone() const {
    return std::unique_ptr<Gadget>(new RTWindRoseGadget(*this));
}

void RTWindRoseGadget::SerializeUnits(Archive& ar) {
    ar.Field(speedUnit);
    ar.Field(distanceUnit);
}

double RTWindRoseGadget::Amount(double value, TimeT elapsed) const {
    return static_cast<double>(elapsed) * value * SpeedToMetresPerSecond(speedUnit);
}

RealtimeRoseGadget::HistoryKey RTWindRoseGadget::CurrentHistoryKey() const {
    HistoryKey key = RealtimeRoseGadget::CurrentHistoryKey();
    key.speedUnit = speedUnit;
    return key;
}

std::string RTWindRoseGadget::Caption() const {
    const double run = History().Total() * MetresToDistanceUnit(distanceUnit);
    // Metres to one decimal, the larger units to two.
    const char* format = MetresToDistanceUnit(distanceUnit) == 1.0 ? "Prevailing direction %03.0f Deg, Wind run %.1f "
                                                                   : "Prevailing direction %03.0f Deg, Wind run %.2f ";
    return FormatC(format, History().PrevailingDirection(), run) + DistanceUnitName(distanceUnit);
}

void RTWindRoseGadget::VisitUnits(FieldVisitor& v) {
    v.Int32("speedUnit", speedUnit);
    v.Int32("distanceUnit", distanceUnit);
}

}  // namespace svu
