#include "outputs/WebBoard.h"

#include <chrono>
#include <random>

#include "outputs/WebJson.h"
#include "outputs/WebRequestParsing.h"
#include "stations/Alarm.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// A run id that a browser's remembered event id from an earlier run cannot match by chance.
uint64_t NewRunId() {
    std::random_device device;
    const uint64_t random = (static_cast<uint64_t>(device()) << 32) ^ device();
    const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return (random ^ now) & 0xffffffffffffULL;
}

std::vector<WebAlarmState> CopyAlarms(const WeatherStation& station) {
    std::vector<WebAlarmState> alarms;
    alarms.reserve(station.alarms.size());
    for (const auto& alarm : station.alarms) {
        WebAlarmState& a = alarms.emplace_back();
        a.name = alarm->name;
        a.alarm = alarm->kind > 0;
        a.enabled = alarm->enabled != 0;
        a.triggered = alarm->triggered != 0;
        a.channel = alarm->channel;
        a.condition = alarm->condition;
        a.threshold = alarm->threshold;
    }
    return alarms;
}

bool HasValues(const WeatherStation& station) {
    for (const std::string& v : station.values) {
        if (!v.empty()) {
            return true;
        }
    }
    return false;
}

const char* ReasonName(StationsChange why) {
    switch (why) {
        case StationsChange::Loaded:
            return "loaded";
        case StationsChange::Saved:
            return "saved";
        case StationsChange::Started:
            return "started";
    }
    return "loaded";
}

}  // namespace

WebLevel WebReading::Level() const {
    if (!running || !active) {
        return WebLevel::None;
    }
    WebLevel level = WebLevel::None;
    for (const WebAlarmState& a : alarms) {
        if (a.enabled && a.triggered) {
            if (a.alarm) {
                return WebLevel::Alarm;
            }
            level = WebLevel::Alert;
        }
    }
    return level;
}

const std::string& WebEvent::Text(uint64_t run) const {
    std::call_once(once_, [&] {
        const std::string json = reading ? DumpJson(ReadingJson(*reading)) : data;
        text_ = "event: " + type + "\nid: " + FormatEventId({run, seq}) + "\ndata: " + json + "\n\n";
    });
    return text_;
}

WebBoard::WebBoard() : run_(NewRunId()) {}

void WebBoard::Assign(const StationList& stations, StationsChange why) {
    std::vector<Entry> entries;
    entries.reserve(stations.size());
    const bool running = Running();
    for (const auto& station : stations) {
        Entry& entry = entries.emplace_back();
        entry.key = station.get();
        auto channels = std::make_shared<WebChannels>();
        auto reading = std::make_shared<WebReading>();
        {
            std::lock_guard guard(station->lock);
            channels->names = station->channelNames;
            channels->types = station->channelTypes;
            channels->rawCount = station->rawChannelCount;
            reading->name = station->name;
            reading->active = station->active != 0;
            reading->running = running;
            reading->values = station->values;
            if (HasValues(*station)) {
                reading->time = station->readingTime;
            }
            reading->alarms = CopyAlarms(*station);
            entry.view.kind = station->ClassName();
            entry.view.typeCode = station->typeCode;
            entry.view.logFolder = station->logFolder;
            entry.view.messages = station->alarmText;
            entry.view.counters = station->counters;
        }
        channels->types.resize(channels->names.size());
        reading->channels = std::move(channels);
        entry.view.latest = std::move(reading);
    }
    std::lock_guard guard(mutex_);
    // Readings already counted are kept for a station that is still in the list.
    for (Entry& entry : entries) {
        for (const Entry& old : entries_) {
            if (old.key == entry.key && old.view.latest->name == entry.view.latest->name) {
                auto reading = std::make_shared<WebReading>(*entry.view.latest);
                reading->seq = old.view.latest->seq;
                entry.view.latest = std::move(reading);
                entry.view.lastReadingAt = old.view.lastReadingAt;
            }
        }
    }
    entries_ = std::move(entries);
    PushLocked("stations", nullptr, std::string("{\"reason\":\"") + ReasonName(why) + "\"}");
}

void WebBoard::Update(const WeatherStation& station) {
    std::shared_ptr<const WebChannels> channels;
    uint64_t seq = 0;
    bool running = false;
    {
        std::lock_guard guard(mutex_);
        for (const Entry& entry : entries_) {
            if (entry.key == &station) {
                channels = entry.view.latest->channels;
                seq = entry.view.latest->seq + 1;
                break;
            }
        }
        running = running_;
    }
    if (!channels) {
        return;  // not in the copy: the list is being changed and a new copy is on its way
    }
    auto reading = std::make_shared<WebReading>();
    reading->name = station.name;
    reading->active = station.active != 0;
    reading->running = running;
    reading->time = station.readingTime;
    reading->seq = seq;
    reading->channels = std::move(channels);
    reading->values = station.values;
    reading->alarms = CopyAlarms(station);
    const auto now = std::chrono::steady_clock::now();

    std::lock_guard guard(mutex_);
    for (Entry& entry : entries_) {
        if (entry.key == &station) {
            entry.view.latest = reading;
            entry.view.lastReadingAt = now;
            if (entry.view.messages != station.alarmText) {
                entry.view.messages = station.alarmText;
            }
            PushLocked("reading", std::move(reading), {});
            return;
        }
    }
}

void WebBoard::SetRunning(bool running) {
    std::lock_guard guard(mutex_);
    if (running_ == running && nextSeq_ > 1) {
        return;
    }
    running_ = running;
    PushLocked("acquisition", nullptr, running ? "{\"running\":true}" : "{\"running\":false}");
}

bool WebBoard::Running() const {
    std::lock_guard guard(mutex_);
    return running_;
}

std::vector<WebStationView> WebBoard::Stations() const {
    std::lock_guard guard(mutex_);
    std::vector<WebStationView> views;
    views.reserve(entries_.size());
    for (const Entry& entry : entries_) {
        views.push_back(entry.view);
    }
    return views;
}

std::optional<WebStationView> WebBoard::Find(const std::string& name) const {
    std::lock_guard guard(mutex_);
    for (const Entry& entry : entries_) {
        if (SameNameIgnoringCase(entry.view.latest->name, name)) {
            return entry.view;
        }
    }
    return std::nullopt;
}

uint64_t WebBoard::LastSeq() const {
    std::lock_guard guard(mutex_);
    return nextSeq_ - 1;
}

WebBoard::Wait WebBoard::NextEvents(uint64_t after, std::size_t max, std::chrono::milliseconds timeout,
                                    std::vector<WebEventPtr>& out) {
    out.clear();
    std::unique_lock guard(mutex_);
    const bool woken = changed_.wait_for(guard, timeout, [&] { return closed_ || nextSeq_ - 1 > after; });
    if (closed_) {
        return Wait::Closed;
    }
    if (!woken) {
        return Wait::Timeout;
    }
    if (events_.empty() || events_.front()->seq > after + 1) {
        return Wait::Behind;
    }
    for (std::size_t i = static_cast<std::size_t>(after + 1 - events_.front()->seq); i < events_.size() && out.size() < max;
         ++i) {
        out.push_back(events_[i]);
    }
    return Wait::Events;
}

void WebBoard::Close() {
    {
        std::lock_guard guard(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

void WebBoard::PushLocked(std::string type, std::shared_ptr<const WebReading> reading, std::string data) {
    events_.push_back(std::make_shared<WebEvent>(nextSeq_++, std::move(type), std::move(reading), std::move(data)));
    if (events_.size() > kKeptEvents) {
        events_.pop_front();
    }
    changed_.notify_all();
}

}  // namespace svu
