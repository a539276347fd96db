#pragma once

// The generic serial station's own dialogs: "Scripts - Generic Serial" (the four scripts, the
// connection and the "Channels" button) and "Channel details - Generic serial" (the raw
// channels by name).

#include <memory>

class QWidget;

namespace svu {

class PropertySheet;
class WSGenericSerial;
struct StationPagesContext;

/// The script dialog, opened by the "Name" page's "Advanced..." button.
std::unique_ptr<PropertySheet> MakeGenericScriptSheet(QWidget* parent, WSGenericSerial& station,
                                                      const StationPagesContext& context);

/// The channel list dialog, opened by the script dialog's "Channels" button. Channels are added at
/// the end of the raw channels and deleted anywhere; derived channels, alarms and display items
/// follow (through the context's listener) when OK is pressed.
std::unique_ptr<PropertySheet> MakeGenericChannelSheet(QWidget* parent, WSGenericSerial& station,
                                                       const StationPagesContext& context);

}  // namespace svu
