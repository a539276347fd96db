#include "outputs/AlarmSpeech.h"

#include "framework/Profile.h"
#include "framework/Settings.h"
#include "platform/Speaker.h"
#include "stations/Alarm.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

std::string KeyPart(const std::string& name) {
    std::string out = name;
    for (char& c : out) {
        if (c == '=' || c == '[' || c == ']' || c == ';' || c == '\r' || c == '\n' || c == '/') {
            c = '_';
        }
    }
    return out;
}

}  // namespace

std::string SpokenAlarmText(const std::string& stationName, const Alarm& alarm, const std::string& channelName,
                            const std::string& valueText) {
    std::string text = alarm.IsAlarm() ? "Alarm " : "Alert ";
    text += alarm.name;
    text += " on ";
    text += stationName;
    text += ".";
    // The value as the station shows it; a channel with no value yet says nothing of it.
    std::string value(valueText);
    while (!value.empty() && value.front() == ' ') {
        value.erase(value.begin());
    }
    while (!value.empty() && value.back() == ' ') {
        value.pop_back();
    }
    if (!value.empty()) {
        text += " ";
        text += channelName.empty() ? std::string("The value") : channelName;
        text += " is ";
        text += value;
        text += ".";
    }
    return text;
}

SpokenAlarms::SpokenAlarms(Settings& settings) : settings_(settings) {
    for (const std::string& key : settings.GetProfile().Keys(kSectionSpokenAlarms)) {
        if (settings.GetSettingInt(kSectionSpokenAlarms, key, 0) != 0) {
            spoken_.insert(key);
        }
    }
}

std::string SpokenAlarms::Key(const std::string& stationName, const std::string& alarmName) {
    return KeyPart(stationName) + "/" + KeyPart(alarmName);
}

bool SpokenAlarms::IsSpoken(const std::string& stationName, const std::string& alarmName) const {
    std::lock_guard guard(mutex_);
    return spoken_.count(Key(stationName, alarmName)) != 0;
}

bool SpokenAlarms::SetSpoken(const std::string& stationName, const std::string& alarmName, bool spoken) {
    const std::string key = Key(stationName, alarmName);
    {
        std::lock_guard guard(mutex_);
        if ((spoken_.count(key) != 0) == spoken) {
            return true;
        }
        if (spoken) {
            spoken_.insert(key);
        } else {
            spoken_.erase(key);
        }
    }
    return spoken ? settings_.WriteSettingInt(kSectionSpokenAlarms, key, 1)
                  : settings_.GetProfile().DeleteKey(kSectionSpokenAlarms, key);
}

std::vector<std::string> SpokenAlarms::StationKeys(const std::string& stationName) const {
    // A station's part of the key holds no "/", so the prefix names its alarms and no other's.
    const std::string prefix = KeyPart(stationName) + "/";
    std::vector<std::string> keys;
    for (auto it = spoken_.lower_bound(prefix); it != spoken_.end() && it->starts_with(prefix); ++it) {
        keys.push_back(*it);
    }
    return keys;
}

bool SpokenAlarms::RenameStation(const std::string& from, const std::string& to, bool keepOld, bool keepNew) {
    const std::string fromPrefix = KeyPart(from) + "/";
    const std::string toPrefix = KeyPart(to) + "/";
    if (fromPrefix == toPrefix) {
        return true;
    }
    std::vector<std::string> moved;
    std::vector<std::string> dropped;
    {
        std::lock_guard guard(mutex_);
        moved = StationKeys(from);
        // Settings left behind under the new name (a station deleted earlier) are not inherited.
        if (!keepNew) {
            dropped = StationKeys(to);
        }
        for (const std::string& key : dropped) {
            spoken_.erase(key);
        }
        for (const std::string& key : moved) {
            if (!keepOld) {
                spoken_.erase(key);
            }
            spoken_.insert(toPrefix + key.substr(fromPrefix.size()));
        }
    }
    bool ok = true;
    Profile& profile = settings_.GetProfile();
    for (const std::string& key : dropped) {
        ok = profile.DeleteKey(kSectionSpokenAlarms, key) && ok;
    }
    for (const std::string& key : moved) {
        if (!keepOld) {
            ok = profile.DeleteKey(kSectionSpokenAlarms, key) && ok;
        }
        ok = settings_.WriteSettingInt(kSectionSpokenAlarms, toPrefix + key.substr(fromPrefix.size()), 1) && ok;
    }
    return ok;
}

bool SpokenAlarms::ForgetStation(const std::string& stationName) {
    std::vector<std::string> keys;
    {
        std::lock_guard guard(mutex_);
        keys = StationKeys(stationName);
        for (const std::string& key : keys) {
            spoken_.erase(key);
        }
    }
    bool ok = true;
    for (const std::string& key : keys) {
        ok = settings_.GetProfile().DeleteKey(kSectionSpokenAlarms, key) && ok;
    }
    return ok;
}

AlarmSpeech::AlarmSpeech(Speaker& speaker, const SpokenAlarms& spoken,
                         std::function<void(const std::string&)> onProblem)
    : speaker_(speaker),
      spoken_(spoken),
      onProblem_(std::move(onProblem)),
      thread_(std::make_unique<MessageThread<std::string>>([this](std::string& text) { Speak(text); })) {}

AlarmSpeech::~AlarmSpeech() {
    thread_.reset();
}

void AlarmSpeech::OnAlarmTriggered(const WeatherStation& station, const Alarm& alarm) {
    if (MuteAllAlarms().load() != 0 || !spoken_.IsSpoken(station.name, alarm.name)) {
        return;
    }
    std::string channelName;
    std::string value;
    if (alarm.channel >= 0) {
        const auto index = static_cast<std::size_t>(alarm.channel);
        if (index < station.channelNames.size()) {
            channelName = station.channelNames[index];
        }
        if (index < station.values.size()) {
            value = station.values[index];
        }
    }
    Say(SpokenAlarmText(station.name, alarm, channelName, value));
}

void AlarmSpeech::Say(std::string text) {
    thread_->Post(std::move(text), kMaxQueued);
}

void AlarmSpeech::Speak(std::string& text) {
    if (MuteAllAlarms().load() != 0) {
        return;  // muted while it waited
    }
    std::string error;
    if (speaker_.Speak(text, error)) {
        ++said_;
        return;
    }
    if (reported_.insert(error).second && onProblem_) {
        onProblem_("Spoken alarms: " + error);
    }
}

}  // namespace svu
