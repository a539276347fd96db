#pragma once

// The "Live values and MQTT" dialog: the live-value server's and the MQTT publisher's settings
// ("LiveValues" and "MQTT" sections of the settings file), which the service reads as well.

#include <memory>

class QWidget;

namespace svu {

class PropertySheet;
class Runtime;
class Settings;
class UserInterface;

/// The sheet built but not run (for tests and callers that show it their own way).
std::unique_ptr<PropertySheet> MakeLiveOutputSheet(QWidget* parent, Settings& settings, UserInterface* ui = nullptr);

/// Runs the sheet. After OK the runtime's live outputs restart with the new settings, and what
/// could not be started is shown. Returns the sheet's result.
int EditLiveOutputs(QWidget* parent, Settings& settings, Runtime& runtime, UserInterface* ui = nullptr);

}  // namespace svu
