#pragma once

// The property sheets of the wind dial and the real-time wind and dust roses, and their own pages.

#include <memory>

class QWidget;

namespace svu {

class PropertySheet;
class RealtimeRoseGadget;
class RTDustRoseGadget;
class RTWindRoseGadget;
class WindRoseGadget;
struct GadgetSheetContext;

/// "Properties - Windrose": "Basic", "Wind direction", "WindRose" (rose and pointer colours,
/// "Transparent"). OK makes the next refresh read the channel again.
std::unique_ptr<PropertySheet> MakeWindRoseSheet(QWidget* parent, WindRoseGadget& gadget,
                                                 const GadgetSheetContext& context);

/// "Properties - Realtime windrose": "Basic", "Bitmap", "Windrose" (origin, radius, step, colours,
/// "Transparent"), "Wind speed", "Wind direction", "Units" ("Read as:", "Display as:", duration).
/// OK discards the history when a source or the speed unit changed.
std::unique_ptr<PropertySheet> MakeRTWindRoseSheet(QWidget* parent, RTWindRoseGadget& gadget,
                                                   const GadgetSheetContext& context);

/// "Properties - Realtime dustrose": "Basic", "Bitmap", "DustRose" (origin, radius, step,
/// colours, "Data for the last:", "Transparent"), "Dust concentration", "Wind direction".
std::unique_ptr<PropertySheet> MakeRTDustRoseSheet(QWidget* parent, RTDustRoseGadget& gadget,
                                                   const GadgetSheetContext& context);

}  // namespace svu
