#pragma once

// "Channels" of the data logger stations (the cable, radio and modem loggers): the names and type
// codes of the values in the logger's lines, in their order, opened by the "Name" page's
// "Advanced..." button as the Direct station's channel table is.

#include <memory>

class QWidget;

namespace svu {

class PropertySheet;
class WeatherStation;
struct StationPagesContext;

/// The dialog over `station`'s raw channels: "Add" appends one, "Delete" removes the selected
/// one, names and types are edited in the table. On OK the station's channels change; alarms,
/// derived channels and display items (through the context's listener) follow a deletion.
std::unique_ptr<PropertySheet> MakeLoggerChannelSheet(QWidget* parent, WeatherStation& station,
                                                      const StationPagesContext& context);

}  // namespace svu
