#include "stations/RawChannels.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <mutex>

#include "stations/Alarm.h"
#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

uint32_t FloatBits(float value) {
    return std::bit_cast<uint32_t>(value);
}

// Moves the entries of the derived channels (after the first r) so they follow c raw entries.
template <class T>
void MoveDerivedEntries(std::vector<T>& table, int r, int c, int derivedCount, const T& blank) {
    std::vector<T> moved;
    for (int k = 0; k < derivedCount; ++k) {
        const auto from = static_cast<std::size_t>(r + k);
        moved.push_back(from < table.size() ? table[from] : blank);
    }
    table.resize(static_cast<std::size_t>(c), blank);
    table.insert(table.end(), moved.begin(), moved.end());
}

}  // namespace

void ChangeRawChannelCount(WeatherStation& station, int newRaw) {
    const int r = std::max(station.rawChannelCount, 0);
    const int c = std::max(newRaw, 0);
    const int derivedCount = std::max(station.channelCount - r, 0);
    MoveDerivedEntries(station.channelNames, r, c, derivedCount, std::string());
    MoveDerivedEntries(station.channelTypes, r, c, derivedCount, 0u);
    MoveDerivedEntries(station.channelOffsets, r, c, derivedCount, FloatBits(0.0f));
    MoveDerivedEntries(station.channelMultipliers, r, c, derivedCount, FloatBits(1.0f));
    // One channel at a time at the end of the raw ones, as the channel editor inserts and deletes.
    const int at = std::min(r, c);
    for (int k = 0; k < std::abs(c - r); ++k) {
        for (const auto& channel : station.derived) {
            if (c > r) {
                channel->OnChannelInserted(at);
            } else {
                channel->OnChannelDeleted(at);
            }
        }
        for (const auto& alarm : station.alarms) {
            if (c > r) {
                AdjustForInsertion(alarm->channel, at);
            } else {
                AdjustForDeletion(alarm->channel, at);
            }
        }
    }
    station.rawChannelCount = c;
    station.channelCount = c + derivedCount;
    station.values.resize(static_cast<std::size_t>(station.channelCount));
}

void ReplaceRawChannels(WeatherStation& station, const std::vector<std::string>& rawNames) {
    std::lock_guard guard(station.lock);
    ChangeRawChannelCount(station, static_cast<int>(rawNames.size()));
    std::copy(rawNames.begin(), rawNames.end(), station.channelNames.begin());
    std::fill(station.channelTypes.begin(), station.channelTypes.end(), 0u);
}

}  // namespace svu
