#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "pages/PropertyPage.h"

class QComboBox;

namespace svu {

class WeatherStation;

/// A page choosing a station of the program ("AWS:") and one of its channels ("Data channel:"); the
/// channel list follows the station chosen. Derived pages load and store their own object.
class StationChannelPage : public PropertyPage {
protected:
    StationChannelPage(const QString& tabName, const QString& channelObjectName,
                       const std::vector<std::unique_ptr<WeatherStation>>* stations);

    /// Fills both lists, selecting `station` and the 0-based `channel` (-1 for none).
    void Select(const WeatherStation* station, int channel);
    /// The station chosen, or nullptr.
    WeatherStation* ChosenStation() const;
    /// The 0-based channel chosen, or -1.
    int ChosenChannel() const;

private:
    void FillChannels(int stationPosition, int select);

    const std::vector<std::unique_ptr<WeatherStation>>* stations_;
    QComboBox* station_;
    QComboBox* channel_;
};

}  // namespace svu
