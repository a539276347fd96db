#include "pages/StationChannelPage.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "pages/DerivedPages.h"
#include "pages/FieldBinder.h"
#include "stations/WeatherStation.h"

namespace svu {

StationChannelPage::StationChannelPage(const QString& tabName, const QString& channelObjectName,
                                       const std::vector<std::unique_ptr<WeatherStation>>* stations)
    : PropertyPage(tabName), stations_(stations), station_(new QComboBox), channel_(new QComboBox) {
    station_->setObjectName(QStringLiteral("aws"));
    channel_->setObjectName(channelObjectName);
    for (QComboBox* combo : {station_, channel_}) {
        combo->setMinimumContentsLength(16);
    }
    BeginGroup(QStringLiteral("Data source"));
    AddWidget(station_, QStringLiteral("AWS:"));
    AddWidget(channel_, QStringLiteral("Data channel:"));
    QObject::connect(station_, &QComboBox::currentIndexChanged, this,
                     [this](int position) { FillChannels(position, -1); });
}

void StationChannelPage::Select(const WeatherStation* station, int channel) {
    const QSignalBlocker blocker(station_);
    station_->clear();
    int selected = -1;
    if (stations_ != nullptr) {
        for (size_t i = 0; i < stations_->size(); ++i) {
            station_->addItem(ToQt((*stations_)[i]->name));
            if ((*stations_)[i].get() == station) {
                selected = static_cast<int>(i);
            }
        }
    }
    station_->setCurrentIndex(selected);
    station_->setEnabled(station_->count() > 0);
    FillChannels(selected, channel);
}

WeatherStation* StationChannelPage::ChosenStation() const {
    const int s = station_->currentIndex();
    return s >= 0 && stations_ != nullptr ? (*stations_)[static_cast<size_t>(s)].get() : nullptr;
}

int StationChannelPage::ChosenChannel() const {
    return channel_->currentIndex();
}

void StationChannelPage::FillChannels(int stationPosition, int select) {
    channel_->clear();
    if (stationPosition < 0 || stations_ == nullptr) {
        channel_->setEnabled(false);
        return;
    }
    channel_->addItems(StationChannelNames((*stations_)[static_cast<size_t>(stationPosition)].get()));
    channel_->setCurrentIndex(select >= 0 && select < channel_->count() ? select : -1);
    channel_->setEnabled(true);
}

}  // namespace svu
