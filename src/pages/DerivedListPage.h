#pragma once

// "Processed data": the station's derived channels with "Add...", "Delete..." and "Properties...".
// Unlike the other pages it changes the station at once (a new channel exists as soon as its own
// sheet was closed with OK), because display items and other channels follow the channel table.

#include <memory>

namespace svu {

class PropertyPage;
class WeatherStation;
struct StationPagesContext;

/// The page; `context` supplies the listener told of deletions and the station list.
std::unique_ptr<PropertyPage> MakeDerivedListPage(WeatherStation& station, const StationPagesContext& context);

/// Appends `data` (already set up for `station`) as the station's last channel.
void AppendDerivedChannel(WeatherStation& station, std::unique_ptr<class ProcessedData> data);

/// Removes derived channel `position` and its channel; the listener (or, without one, the station's
/// remaining derived channels) follows the deletion.
void DeleteDerivedChannel(WeatherStation& station, int position, const StationPagesContext& context);

}  // namespace svu
