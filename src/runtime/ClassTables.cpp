#include "runtime/ClassTables.h"

#include "runtime/DerivedKinds.h"
#include "runtime/StationKinds.h"

namespace svu {

void RegisterAllClasses(ClassRegistry& reg) {
    RegisterStationClasses(reg);
    RegisterDerivedClasses(reg);
}

}  // namespace svu
