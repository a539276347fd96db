#pragma once

// The pages of the derived channels: the shared "Name", source and remote-channel pages, the class
// pages of every kind, and the one table from derived type code to its sheet's pages.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class QWidget;

namespace svu {

class ProcessedChannelRatio;
class ProcessedData;
class ProcessedSum;
class PropertyPage;
class PropertySheet;
class UserInterface;
class WeatherStation;
struct StationPagesContext;

/// The names of every channel of a station in table order (none for null).
QStringList StationChannelNames(const WeatherStation* station);

/// "Name": group "Processed data", "Name:".
std::unique_ptr<PropertyPage> MakeDerivedNamePage(ProcessedData& data);

/// A source page with its own tab caption: group "Data source", "Data channel:" listing every
/// channel of `station` (null: none); nothing selected stores -1.
std::unique_ptr<PropertyPage> MakeSourcePage(const QString& tabName, const WeatherStation* station, int32_t& reference);

/// "Remote channel": "AWS:" lists the stations, "Data channel:" the chosen station's channels.
std::unique_ptr<PropertyPage> MakeRemoteChannelPage(ProcessedChannelRatio& ratio,
                                                    const std::vector<std::unique_ptr<WeatherStation>>* stations);

/// "Sum": the "Included:" and "Available:" lists of channels.
std::unique_ptr<PropertyPage> MakeSumPage(ProcessedSum& sum);

/// The sheet of a derived channel: titled by its kind, the name page, then the kind's pages.
std::unique_ptr<PropertySheet> MakeDerivedSheet(QWidget* parent, ProcessedData& data,
                                                const StationPagesContext& context);

/// "Data type": the chooser of the 22 kinds; the chosen type code, or -1 when cancelled.
int ChooseDerivedType(QWidget* parent, UserInterface* ui = nullptr);

}  // namespace svu
