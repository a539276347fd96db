#include "runtime/DerivedKinds.h"

#include "derived/ProcessedAbsolute.h"
#include "derived/ProcessedAngleAverage.h"
#include "derived/ProcessedBeaufort.h"
#include "derived/ProcessedChannelRatio.h"
#include "derived/ProcessedCompareFixed.h"
#include "derived/ProcessedCrossWind.h"
#include "derived/ProcessedDew.h"
#include "derived/ProcessedExtreme.h"
#include "derived/ProcessedHeadWind.h"
#include "derived/ProcessedIntegrationDay.h"
#include "derived/ProcessedQFE.h"
#include "derived/ProcessedQNH.h"
#include "derived/ProcessedRollingAverage.h"
#include "derived/ProcessedRollingMaximum.h"
#include "derived/ProcessedScale.h"
#include "derived/ProcessedSectorSpeed.h"
#include "derived/ProcessedSum.h"
#include "derived/ProcessedSunshineHours.h"
#include "derived/ProcessedTimeInSector.h"
#include "derived/ProcessedVapour.h"
#include "derived/ProcessedWetBulb.h"
#include "derived/ProcessedWindTo.h"
#include "framework/ClassRegistry.h"

namespace svu {

namespace {

template <class Kind>
std::unique_ptr<ProcessedData> Create(WeatherStation* station) {
    return std::make_unique<Kind>(station);
}

template <class Kind>
DerivedKind Entry(const char* chooserEntry, const char* sheetTitle) {
    return DerivedKind{Kind::kTypeCode, chooserEntry, sheetTitle, Kind::kClassName, &Create<Kind>};
}

}  // namespace

const std::vector<DerivedKind>& DerivedKinds() {
    static const std::vector<DerivedKind> kinds = {
        Entry<ProcessedScale>("Scale", "Properties - Scale"),
        Entry<ProcessedExtreme>("Extreme", "Properties - Extreme"),
        Entry<ProcessedVapour>("Vapour", "Properties - Vapour pressure"),
        Entry<ProcessedDew>("Dew", "Properties - Dew point"),
        Entry<ProcessedIntegrationDay>("IntegrationDay", "Properties - Integration day"),
        Entry<ProcessedRollingAverage>("RollingAverage", "Properties - Rolling average"),
        Entry<ProcessedAngleAverage>("AngleAverage", "Properties - Angle average"),
        Entry<ProcessedCrossWind>("CrossWind", "Properties - Cross wind"),
        Entry<ProcessedWindTo>("WindTo", "Properties - Wind to"),
        Entry<ProcessedSum>("Sum", "Properties - Sum"),
        Entry<ProcessedSectorSpeed>("SectorSpeed", "Properties - Sector speed"),
        Entry<ProcessedCompareFixed>("CompareFixed", "Properties - Compare"),
        Entry<ProcessedTimeInSector>("TimeInSector", "Properties - Time in sector"),
        Entry<ProcessedChannelRatio>("ChannelRatio", "Properties - Channel ratio"),
        Entry<ProcessedRollingMaximum>("RollingMaximum", "Properties - Rolling maximum"),
        Entry<ProcessedSunshineHours>("SunshineHours", "Properties - Sunshine hours"),
        Entry<ProcessedWetBulb>("WetBulb", "Properties - Wet bulb"),
        Entry<ProcessedBeaufort>("Beaufort", "Properties - Beaufort"),
        Entry<ProcessedHeadWind>("HeadWind", "Properties - Headwind"),
        Entry<ProcessedAbsolute>("Absolute", "Properties - Absolute"),
        Entry<ProcessedQFE>("QFE", "Properties - QFE"),
        Entry<ProcessedQNH>("QNH", "Properties - QNH"),
    };
    return kinds;
}

const DerivedKind* FindDerivedKind(uint32_t typeCode) {
    const std::vector<DerivedKind>& kinds = DerivedKinds();
    return typeCode < kinds.size() ? &kinds[typeCode] : nullptr;
}

void RegisterDerivedClasses(ClassRegistry& registry) {
    for (const DerivedKind& kind : DerivedKinds()) {
        const auto create = kind.create;
        registry.Register(kind.className, [create] { return std::unique_ptr<Serializable>(create(nullptr)); });
    }
}

}  // namespace svu
