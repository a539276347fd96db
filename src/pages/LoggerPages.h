#pragma once

// The pages of the instrument-specific stations: the sound level meter's "Special" page (reset on
// reading, online mode and the names of its period and profile functions) and its name dialog.

#include <QString>
#include <memory>

class QWidget;

namespace svu {

class NdrLoggerLink;
class PropertyPage;
class UserInterface;
class WS310320;
class WeatherStation;

/// "Special": "Reset", "Online mode", the period and profile function lists and "...".
std::unique_ptr<PropertyPage> MakeSoundLevelSpecialPage(WS310320& station);

/// "Logger": the button that opens the "Calyra Configuration" sheet of a data logger station.
std::unique_ptr<PropertyPage> MakeLoggerSetupPage(WeatherStation& station, NdrLoggerLink& link);

/// The one-line dialog that edits a function name; false when cancelled.
bool EditFunctionName(QWidget* parent, UserInterface* ui, bool period, QString& name);

}  // namespace svu
