#pragma once

// The "Advanced" sheet of the stations whose instrument keeps its own channel set-up: "Channels"
// (the channel editor with "Read" and "Send") and "Others" (logging interval, gust period,
// "Passive", "Synchronise" and "Clear "). The buttons call the instrument operations at once.

#include <memory>

class QWidget;

namespace svu {

class PropertyPage;
class PropertySheet;
class UserInterface;
class WeatherStation;

/// "Channels": the raw channels' names, offsets, multipliers and type codes.
std::unique_ptr<PropertyPage> MakeChannelsPage(WeatherStation& station);

/// "Others": "Record readings every", "Wind gust time period:", "Passive" and the clock and memory
/// buttons.
std::unique_ptr<PropertyPage> MakeOthersPage(WeatherStation& station);

/// The "Advanced" sheet (caption "Advanced"); `withOthers` adds the "Others" page.
std::unique_ptr<PropertySheet> MakeAdvancedSheet(QWidget* parent, WeatherStation& station, bool withOthers,
                                                 UserInterface* ui);

}  // namespace svu
