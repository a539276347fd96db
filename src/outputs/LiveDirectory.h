#pragma once

// The live-value server's own copy of what it serves: the acquisition state, and every station's
// name, channel names and latest values. The server answers from this copy, never from the
// stations themselves, so its thread never waits on a station's lock and never sees a station
// list that the user is editing.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outputs/LiveProtocol.h"
#include "stations/StationFile.h"

namespace svu {

class WeatherStation;

struct LiveStation {
    const void* key = nullptr;  // the station's address, matched by UpdateValues; never followed
    std::string name;
    std::vector<std::string> channelNames;
    std::vector<std::string> values;
    int channelCount = 0;
};

/// What a topic and item resolve to: a station's index, or -1 for the "Information" topic.
struct LiveAddress {
    int station = -1;
    LiveItem item;
};

class LiveDirectory {
public:
    bool realtime = false;
    std::vector<LiveStation> stations;

    /// Copies the list: names and channel names, and the values under each station's lock.
    void Assign(const StationList& list);
    /// Copies a station's values after a reading (the caller holds its lock, as OnReading does).
    /// The station's index, or -1 when it is not in the copy.
    int UpdateValues(const WeatherStation& station);

    /// -1 for "Information", the index of the first station of that name, or nullopt; names are
    /// compared without regard to case.
    std::optional<int> FindTopic(std::string_view topic) const;
    /// The topic and item of a request or advise, or nullopt when a request would give no data.
    std::optional<LiveAddress> Resolve(std::string_view topic, std::string_view item) const;
    /// The value of a resolved item as it now stands; nullopt when it has gone out of range.
    std::optional<std::string> Value(const LiveAddress& address) const;
    /// Resolve, then Value.
    std::optional<std::string> Answer(std::string_view topic, std::string_view item) const;
};

}  // namespace svu
