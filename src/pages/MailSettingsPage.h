#pragma once

// The "Mail" dialog: the mail server that alarm e-mail goes through ("Mail" section of the
// settings file, which the service reads as well), with a button that sends a test message.

#include <memory>

class QWidget;

namespace svu {

class Clock;
class PropertySheet;
class Settings;
class UserInterface;

/// The sheet built but not run (for tests and callers that show it their own way).
std::unique_ptr<PropertySheet> MakeMailSettingsSheet(QWidget* parent, Settings& settings, Clock& clock,
                                                     UserInterface* ui = nullptr);

/// Runs the sheet; on OK the "Mail" section is written. Returns the sheet's result.
int EditMailSettings(QWidget* parent, Settings& settings, Clock& clock, UserInterface* ui = nullptr);

}  // namespace svu
