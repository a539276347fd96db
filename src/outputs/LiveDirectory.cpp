#include "outputs/LiveDirectory.h"

#include <mutex>

#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kYes = 210;
constexpr int kNo = 211;

void CopyValues(const WeatherStation& station, LiveStation& entry) {
    const std::size_t n = station.values.size();
    entry.values.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        entry.values[i] = station.values[i];  // reuses the copy's storage
    }
    entry.channelCount = station.channelCount;
}

}  // namespace

void LiveDirectory::Assign(const StationList& list) {
    stations.clear();
    stations.reserve(list.size());
    for (const auto& station : list) {
        LiveStation& entry = stations.emplace_back();
        entry.key = station.get();
        std::lock_guard guard(station->lock);
        entry.name = station->name;
        entry.channelNames = station->channelNames;
        CopyValues(*station, entry);
    }
}

int LiveDirectory::UpdateValues(const WeatherStation& station) {
    for (std::size_t i = 0; i < stations.size(); ++i) {
        if (stations[i].key == &station) {
            CopyValues(station, stations[i]);
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<int> LiveDirectory::FindTopic(std::string_view topic) const {
    if (EqualsNoCase(topic, LiveInformationTopic())) {
        return -1;
    }
    for (std::size_t i = 0; i < stations.size(); ++i) {
        if (EqualsNoCase(topic, stations[i].name)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<LiveAddress> LiveDirectory::Resolve(std::string_view topic, std::string_view item) const {
    const std::optional<int> station = FindTopic(topic);
    if (!station) {
        return std::nullopt;
    }
    const std::optional<LiveItem> parsed = ParseLiveItem(*station < 0, item);
    if (!parsed) {
        return std::nullopt;
    }
    const LiveAddress address{*station, *parsed};
    if (!Value(address)) {
        return std::nullopt;
    }
    return address;
}

std::optional<std::string> LiveDirectory::Value(const LiveAddress& address) const {
    const int n = address.item.number;
    if (address.station < 0) {
        switch (address.item.kind) {
            case LiveItemKind::Realtime: return Str(realtime ? kYes : kNo);
            case LiveItemKind::StationCount: return FormatC("%i", static_cast<int>(stations.size()));
            case LiveItemKind::StationName:
                if (n >= 1 && static_cast<std::size_t>(n) <= stations.size()) {
                    return stations[static_cast<std::size_t>(n - 1)].name;
                }
                return std::nullopt;
            default: return std::nullopt;
        }
    }
    if (static_cast<std::size_t>(address.station) >= stations.size()) {
        return std::nullopt;
    }
    const LiveStation& s = stations[static_cast<std::size_t>(address.station)];
    const auto at = [n](const std::vector<std::string>& table) -> std::string_view {
        const auto index = static_cast<std::size_t>(n - 1);
        return index < table.size() ? std::string_view(table[index]) : std::string_view();
    };
    const bool inRange = n >= 1 && n <= s.channelCount;
    switch (address.item.kind) {
        case LiveItemKind::ChannelCount: return FormatC("%i", s.channelCount);
        case LiveItemKind::ChannelValue:
            if (inRange) {
                return std::string(Trim(at(s.values)));
            }
            return std::nullopt;
        case LiveItemKind::ChannelName:
            if (inRange) {
                return std::string(TrimRight(at(s.channelNames)));
            }
            return std::nullopt;
        default: return std::nullopt;
    }
}

std::optional<std::string> LiveDirectory::Answer(std::string_view topic, std::string_view item) const {
    const std::optional<LiveAddress> address = Resolve(topic, item);
    return address ? Value(*address) : std::nullopt;
}

}  // namespace svu
