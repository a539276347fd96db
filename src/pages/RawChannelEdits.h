#pragma once

// Deleting and adding a raw channel of a station from its channel dialogs, with everything that
// refers to channels by number following: its alarms, its derived channels and (through the
// listener) the display items.

#include <string>

namespace svu {

class ChannelEditListener;
class WeatherStation;

/// Removes raw channel `index` from the four channel tables and the values; the station's lock
/// is held by the caller. With a listener, it is told (and adjusts the derived channels);
/// without one the derived channels are adjusted here.
void DeleteRawChannel(WeatherStation& station, int index, ChannelEditListener* listener);
/// Appends a raw channel named `name` (type 0, offset 0, multiplier 1) after the others.
void InsertRawChannel(WeatherStation& station, const std::string& name, ChannelEditListener* listener);

}  // namespace svu
