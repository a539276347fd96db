#pragma once

// The overlay item's sheet and its "Overlay" page.

#include <memory>

class QWidget;

namespace svu {

class OverlayGadget;
class PropertyPage;
class PropertySheet;
struct GadgetSheetContext;

/// "Overlay" (`OverlayProperties`): pointer width and length, radius, origin, the pointer and
/// rose colours, "Point inwards:" and "Transparent".
std::unique_ptr<PropertyPage> MakeOverlayPage(OverlayGadget& gadget);

/// "Properties - Overlay": "Basic", "Bitmap", "Data source", "Overlay".
std::unique_ptr<PropertySheet> MakeOverlaySheet(QWidget* parent, OverlayGadget& gadget,
                                                const GadgetSheetContext& context);

}  // namespace svu
