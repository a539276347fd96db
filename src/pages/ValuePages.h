#pragma once

// The value item's sheet and its "Format" page.

#include <memory>

class QWidget;

namespace svu {

class PropertyPage;
class PropertySheet;
class ValueGadget;
struct GadgetSheetContext;

/// "Format" (`ValueProperties`): "Display as raw data", "Minimum width:" (1 to 20), "Decimal
/// places:" (0 to 6), "Leading 0's", "Signed".
std::unique_ptr<PropertyPage> MakeValueFormatPage(ValueGadget& gadget);

/// "Properties - Value": "Basic", "Data source", "Format".
std::unique_ptr<PropertySheet> MakeValueSheet(QWidget* parent, ValueGadget& gadget, const GadgetSheetContext& context);

}  // namespace svu
