#pragma once

// The station's "Alarms" page and the "Alarm Properties" dialog.

#include <memory>
#include <vector>

class QWidget;

namespace svu {

class Alarm;
class PropertyPage;
class PropertySheet;
class SpokenAlarms;
class UserInterface;
class WeatherStation;

/// The "Alarm Properties" dialog over `alarm`; the "Channel:" list shows `station`'s channels.
/// Its "Speak" box, shown with `speak` when the program has speech, sets that flag on OK; the
/// caller writes it to the settings file when it applies the alarm.
std::unique_ptr<PropertySheet> MakeAlarmSheet(QWidget* parent, Alarm& alarm, const WeatherStation& station,
                                              UserInterface* ui, bool* speak = nullptr);

/// Where the "Speak" check box of "Alarm Properties" keeps its setting; without it (null) the box
/// is not shown.
void SetSpokenAlarmSettings(SpokenAlarms* spoken);

/// "Alarms": the station's alarms with "Add...", "Delete..." and "Properties...", and "Log alarms to
/// Alarms.txt". The page edits copies; the station's list changes only when the sheet is closed
/// with OK, and alarms that stay keep their trigger state. The Speak settings change then too:
/// those ticked in "Alarm Properties" are written, deleted alarms' go, and all follow renamed
/// alarms and a new station name; `stations` (the program's list, may be null) tells whether
/// another station shares the old or new name.
std::unique_ptr<PropertyPage> MakeAlarmsPage(WeatherStation& station,
                                             const std::vector<std::unique_ptr<WeatherStation>>* stations = nullptr);

/// A station is being deleted from `stations`: its alarms' Speak settings go (unless another
/// station of the list has its name).
void ForgetSpokenAlarms(const WeatherStation& station, const std::vector<std::unique_ptr<WeatherStation>>& stations);

}  // namespace svu
