#pragma once

// The pages of the "Calyra Configuration" sheet that edit the logger as a whole: general
// settings, its serial ports, its modem and the special commands.

#include <memory>

namespace svu {

class NDR;
class PropertyPage;

/// "General": logger text and number, command format, logging and its rates, scan rates, alarm
/// mode, PWM outputs and automatic mode. Refuses rates outside their limits (strings 280, 281).
std::unique_ptr<PropertyPage> MakeNdrGeneralPage(NDR& ndr);
/// "Communications": the logger's two serial ports.
std::unique_ptr<PropertyPage> MakeNdrCommsPage(NDR& ndr);
/// "Modem": the logger's modem strings, times and short-message settings.
std::unique_ptr<PropertyPage> MakeNdrModemPage(NDR& ndr);
/// "Special Commands": commands sent as typed, one per line, after the set-up.
std::unique_ptr<PropertyPage> MakeNdrCommandsPage(NDR& ndr);

}  // namespace svu
