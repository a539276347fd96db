#pragma once

// Changing how many raw channels a station has. The Direct station learns its count from the
// instrument, the File and Network stations from the file they read; all three keep the derived
// channels after the raw ones and keep every reference to a channel pointing where it pointed.

#include <string>
#include <vector>

namespace svu {

class WeatherStation;

/// Gives `station` `newRaw` raw channels (R becomes newRaw) and keeps its derived channels after
/// them: their entries in the four channel tables move to follow the raw ones, new raw entries are
/// blank (no name, type 0, offset 0, multiplier 1), N and `values` change by the difference. The
/// references in derived channels and alarms shift as if raw channels were inserted or deleted at
/// the end of the old raw ones: a reference to a derived channel follows it, one to a raw channel
/// that is gone is dropped. Also sizes every table to N when the count is unchanged. The caller
/// holds the station's lock and then fills in the raw channels' entries.
void ChangeRawChannelCount(WeatherStation& station, int newRaw);

/// For the kinds that take their channels from a file: the raw channels become `rawNames` (as
/// ChangeRawChannelCount) and every type code becomes 0. Takes the station's lock.
void ReplaceRawChannels(WeatherStation& station, const std::vector<std::string>& rawNames);

}  // namespace svu
