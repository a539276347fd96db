#pragma once

// The entry points through which the program opens its property sheets and dialogs. Each returns
// the dialog result: 1 when the sheet was closed with OK (changes written back), 2 for Cancel
// (nothing changed).

#include <memory>
#include <vector>

class QWidget;

namespace svu {

class Alarm;
class Clock;
class ProcessedData;
class PropertySheet;
class Settings;
class UserInterface;
class WeatherStation;

/// The dialog results the sheets return.
inline constexpr int kSheetOk = 1;
inline constexpr int kSheetCancel = 2;

/// Told when a page removes or inserts a channel of a station, after the station's channel tables
/// were updated (with the station's lock held). The display document implements it: it moves its
/// display items and then calls OnChannelDeleted / OnChannelInserted with the same index on every
/// derived channel of that station. Without a listener the pages update the derived channels.
class ChannelEditListener {
public:
    virtual ~ChannelEditListener() = default;
    /// Channel `index` (0-based) of `station` was deleted.
    virtual void OnChannelDeleted(WeatherStation& station, int index) = 0;
    /// A channel was inserted at `index` (0-based) of `station`.
    virtual void OnChannelInserted(WeatherStation& station, int index) = 0;
};

/// What a station's or derived channel's pages need from the program around them. Every member
/// may be left empty: no other stations, no listener, message boxes through Qt, the system clock.
struct StationPagesContext {
    /// Every station of the program, for the pages that pick another station's channel.
    const std::vector<std::unique_ptr<WeatherStation>>* stations = nullptr;
    /// Told of channel deletions and insertions made by the derived-channel page.
    ChannelEditListener* listener = nullptr;
    /// Message boxes (range messages, confirmations); a Qt message box when null.
    UserInterface* ui = nullptr;
    /// The clock the logging page aligns the next log time with; the system clock when null.
    Clock* clock = nullptr;
    /// The settings file, for the serial port numbers of "[Ports]" (none when null).
    const Settings* settings = nullptr;
};

/// The station's property sheet (its pages by type code); `withDerivedPage` adds "Processed data".
int EditStationProperties(QWidget* parent, WeatherStation& station, bool withDerivedPage,
                          const StationPagesContext& context);

/// The property sheet of a derived channel (its pages by derived type code).
int EditDerivedProperties(QWidget* parent, ProcessedData& data, const StationPagesContext& context);


/// The web output dialog over the "WebOutput" section of the settings file.
int EditWebOutput(QWidget* parent, Settings& settings, UserInterface* ui = nullptr);

/// "New Monitoring System": the chosen station type code, or -1 when cancelled.
int ChooseStationType(QWidget* parent, UserInterface* ui = nullptr);

// The same sheets built but not run, for callers that show them their own way (and for tests).
std::unique_ptr<PropertySheet> MakeStationSheet(QWidget* parent, WeatherStation& station, bool withDerivedPage,
                                                const StationPagesContext& context);
std::unique_ptr<PropertySheet> MakeWebOutputSheet(QWidget* parent, Settings& settings, UserInterface* ui = nullptr);

}  // namespace svu
