#pragma once

// The sheets of the items that choose what they show by a channel value: the multi-state
// bitmap with its "States" page and the multi-state text with its "Text" page.

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace svu {

class MultiStateGadget;
class MultiTextGadget;
class PropertyPage;
class PropertySheet;
struct GadgetSheetContext;

/// The "Switching points:" text: each point as "%G", joined by ",".
std::string FormatSwitchingPoints(const std::vector<float>& points);
/// Reads the "Switching points:" text: a number (0 when the text there is not one) before every
/// ",", and one after the last; so "1,2,,3" gives 1, 2, 0, 3 and an empty text the one point 0.
std::vector<float> ParseSwitchingPoints(std::string_view text);

/// "States" (`StatesProperties`): "Number of images:" (2 to 99) and "Switching points:".
std::unique_ptr<PropertyPage> MakeStatesPage(MultiStateGadget& gadget);
/// "Text" (`MultiTextProperties`): the list of value and text pairs, kept ascending by value,
/// with "Value:", "Text:", "Add" and "Delete".
std::unique_ptr<PropertyPage> MakeMultiTextPage(MultiTextGadget& gadget);

/// "Properties - Multistate bitmap": "Basic", "Bitmap", "Data source", "States". After OK with
/// "Re-size to bitmap" ticked the item takes the size of one picture of the strip.
std::unique_ptr<PropertySheet> MakeMultiStateSheet(QWidget* parent, MultiStateGadget& gadget,
                                                   const GadgetSheetContext& context);
/// "Properties - Multistate text": "Basic", "Data source", "Text".
std::unique_ptr<PropertySheet> MakeMultiTextSheet(QWidget* parent, MultiTextGadget& gadget,
                                                  const GadgetSheetContext& context);

}  // namespace svu
