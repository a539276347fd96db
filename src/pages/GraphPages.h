#pragma once

// The graph item's property sheet and its "Trace" and "Timebase" pages.

#include <memory>

class QWidget;

namespace svu {

class GraphGadget;
class PropertyPage;
class PropertySheet;
struct GadgetSheetContext;

/// `TraceProperties` for trace `which` (0 or 1), titled "Trace 1" or "Trace 2": "Y axis title:",
/// "Wind direction", "Auto Y range" / "Manual Y range" with "Minimum:" and "Maximum:" (enabled
/// only for a manual range), the line "Colour...", "Peak hold", "Show grid".
std::unique_ptr<PropertyPage> MakeTracePage(GraphGadget& gadget, int which);

/// `TimebaseProperties` ("Timebase"): hours 0 to 23, minutes and seconds 0 to 59, "Show grid".
std::unique_ptr<PropertyPage> MakeTimebasePage(GraphGadget& gadget);

/// "Properties - Graph": "Basic", "Data Source 1", "Data Source 2", "Trace 1", "Trace 2",
/// "Timebase". OK starts again a trace whose source changed, and both when the time base changed.
std::unique_ptr<PropertySheet> MakeGraphSheet(QWidget* parent, GraphGadget& gadget, const GadgetSheetContext& context);

}  // namespace svu
