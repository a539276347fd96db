#pragma once

// The pages of the "Calyra Configuration" sheet that edit one of many: the 64 channels and the
// 16 alarms, each chosen from a drop-down above its settings.

#include <memory>

namespace svu {

class NDR;
class PropertyPage;

/// "Channels": type, texts, format, polynomial, function, inputs and the kind-specific settings.
std::unique_ptr<PropertyPage> MakeNdrChannelsPage(NDR& ndr);
/// "Alarms": the test, limits, delays, outputs, telephone numbers and the channel list.
std::unique_ptr<PropertyPage> MakeNdrAlarmsPage(NDR& ndr);

}  // namespace svu
