#include "pages/RawChannelEdits.h"

#include <algorithm>
#include <cstddef>

#include "pages/Sheets.h"
#include "stations/Alarm.h"
#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu {

void DeleteRawChannel(WeatherStation& station, int index, ChannelEditListener* listener) {
    const auto at = static_cast<std::ptrdiff_t>(index);
    const auto eraseAt = [at](auto& table) {
        if (at < static_cast<std::ptrdiff_t>(table.size())) {
            table.erase(table.begin() + at);
        }
    };
    eraseAt(station.channelNames);
    eraseAt(station.channelTypes);
    eraseAt(station.channelOffsets);
    eraseAt(station.channelMultipliers);
    eraseAt(station.values);
    --station.rawChannelCount;
    --station.channelCount;
    for (const auto& alarm : station.alarms) {
        AdjustForDeletion(alarm->channel, index);
    }
    if (listener != nullptr) {
        listener->OnChannelDeleted(station, index);
    } else {
        for (const auto& data : station.derived) {
            data->OnChannelDeleted(index);
        }
    }
}

void InsertRawChannel(WeatherStation& station, const std::string& name, ChannelEditListener* listener) {
    const int index = station.rawChannelCount;
    const auto at = static_cast<std::size_t>(index);
    const auto insertAt = [at](auto& table, auto value) {
        if (at <= table.size()) {
            table.insert(table.begin() + static_cast<std::ptrdiff_t>(at), value);
        }
    };
    station.channelNames.resize(std::max(station.channelNames.size(), at));
    insertAt(station.channelNames, name);
    insertAt(station.channelTypes, 0u);
    insertAt(station.channelOffsets, 0u);
    insertAt(station.channelMultipliers, 0x3F800000u);  // 1.0f
    insertAt(station.values, std::string());
    ++station.rawChannelCount;
    ++station.channelCount;
    for (const auto& alarm : station.alarms) {
        AdjustForInsertion(alarm->channel, index);
    }
    if (listener != nullptr) {
        listener->OnChannelInserted(station, index);
    } else {
        for (const auto& data : station.derived) {
            data->OnChannelInserted(index);
        }
    }
}

}  // namespace svu

