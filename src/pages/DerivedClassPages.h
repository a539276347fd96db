#pragma once

// The pages each derived kind adds after its name page, found through one table by type code.

#include <memory>
#include <vector>

namespace svu {

class ProcessedData;
class PropertyPage;
struct StationPagesContext;

/// The pages after the name page for the kind of `data`, in tab order (none for an unknown kind).
std::vector<std::unique_ptr<PropertyPage>> MakeDerivedClassPages(ProcessedData& data,
                                                                 const StationPagesContext& context);

}  // namespace svu
