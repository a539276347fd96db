#pragma once

// Spoken alarms: an alarm whose "Speak" setting is on says its message and its channel's value
// when it triggers. The setting lives outside the station file (whose records keep their layout),
// in the settings file's section "SpokenAlarms": one key per spoken alarm, the station's name, "/"
// and the alarm's name (with "=", "[", "]", ";" and line ends in names written as "_"), value 1.
// Whoever renames or deletes a station or an alarm moves or removes its keys (RenameStation,
// ForgetStation, SetSpoken), so that a new one of the same name starts unspoken. Speech runs on a
// thread of its own; a station thread only queues the text. "Mute all alarms" silences it.

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "outputs/MessageThread.h"

namespace svu {

class Alarm;
class Settings;
class Speaker;
class WeatherStation;

inline constexpr const char* kSectionSpokenAlarms = "SpokenAlarms";

/// What is said for an alarm that triggered: its kind, its name, the station and the channel's
/// value, e.g. "Alarm High wind on Roof station. Wind speed is 31.5".
std::string SpokenAlarmText(const std::string& stationName, const Alarm& alarm, const std::string& channelName,
                            const std::string& valueText);

/// The "Speak" settings of every alarm, read from the settings file and written back on change.
class SpokenAlarms {
public:
    /// Reads the section; `settings` must outlive this object.
    explicit SpokenAlarms(Settings& settings);

    bool IsSpoken(const std::string& stationName, const std::string& alarmName) const;
    /// Sets and saves one alarm's setting; false when the settings file cannot be written.
    bool SetSpoken(const std::string& stationName, const std::string& alarmName, bool spoken);
    /// A station was renamed: its alarms' settings go over to the new name, replacing those left
    /// there. With `keepOld` (another station still has the old name) they are copied instead;
    /// with `keepNew` (another station already has the new name, and so shares its settings) those
    /// there stay too. False when the settings file cannot be written.
    bool RenameStation(const std::string& from, const std::string& to, bool keepOld = false, bool keepNew = false);
    /// A station was deleted: its alarms' settings go.
    bool ForgetStation(const std::string& stationName);
    /// The settings file key of an alarm.
    static std::string Key(const std::string& stationName, const std::string& alarmName);

private:
    /// The spoken keys of a station's alarms; the mutex is held.
    std::vector<std::string> StationKeys(const std::string& stationName) const;

    Settings& settings_;
    mutable std::mutex mutex_;
    std::set<std::string> spoken_;
};

class AlarmSpeech {
public:
    /// `speaker` and `spoken` must outlive this object. Problems (a missing voice, no sound output)
    /// go to `onProblem` once each, on the speech thread.
    AlarmSpeech(Speaker& speaker, const SpokenAlarms& spoken, std::function<void(const std::string&)> onProblem);
    ~AlarmSpeech();

    /// An alarm triggered (on the station's thread, its lock held): queues its words when the alarm
    /// is spoken and alarms are not muted. Returns at once; a queue already holding kMaxQueued
    /// texts drops the new one.
    void OnAlarmTriggered(const WeatherStation& station, const Alarm& alarm);
    /// Queues a text as it stands (muting still applies when it is said).
    void Say(std::string text);
    /// Waits until the texts queued so far have been said or dropped.
    void Sync() { thread_->Sync(); }
    int SaidCount() const { return said_.load(); }

    static constexpr std::size_t kMaxQueued = 8;

private:
    void Speak(std::string& text);

    Speaker& speaker_;
    const SpokenAlarms& spoken_;
    std::function<void(const std::string&)> onProblem_;
    std::set<std::string> reported_;  // speech thread only
    std::atomic<int> said_{0};
    std::unique_ptr<MessageThread<std::string>> thread_;  // last
};

}  // namespace svu
