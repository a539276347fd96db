#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace svu {

class ClassRegistry;
class ProcessedData;
class WeatherStation;

/// One kind of derived channel: its type code (the position in the "Add" chooser), the chooser
/// entry, the title of its property sheet, its archive class name and a constructor for a station.
struct DerivedKind {
    uint32_t typeCode;
    const char* chooserEntry;
    const char* sheetTitle;
    const char* className;
    std::unique_ptr<ProcessedData> (*create)(WeatherStation*);
};

/// The 22 kinds in type-code order (entry i has typeCode i).
const std::vector<DerivedKind>& DerivedKinds();

/// The kind with that type code, or nullptr.
const DerivedKind* FindDerivedKind(uint32_t typeCode);

/// Lets the archive create every derived kind from its class tag (the record then links the station).
void RegisterDerivedClasses(ClassRegistry& registry);

}  // namespace svu
