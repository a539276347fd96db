#pragma once

// The web server's own copy of what it serves: each station's list entry and latest reading, and a
// bounded run of the events the stream sends. Station threads only copy a small snapshot in here
// (under a mutex held for a few pointer moves) and never wait for a client; the server's threads
// read shared, immutable snapshots, so a slow client holds nothing that a station needs.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "framework/LocalTime.h"
#include "outputs/LiveOutput.h"
#include "stations/StationCounters.h"

namespace svu {

struct WebAlarmState {
    std::string name;
    bool alarm = true;  // an Alarm rather than an Alert
    bool enabled = false;
    bool triggered = false;
    int channel = -1;
    int condition = 5;
    double threshold = 0;
};

/// A station's channel names and types, shared by its readings until the list changes.
struct WebChannels {
    std::vector<std::string> names;
    std::vector<uint32_t> types;
    int rawCount = 0;
};

enum class WebLevel { None, Alert, Alarm };

/// A station as one reading left it; never changed once made.
struct WebReading {
    std::string name;
    bool active = false;
    bool running = false;  // acquisition was on
    std::optional<TimeT> time;
    uint64_t seq = 0;  // readings of the station since the server started
    std::shared_ptr<const WebChannels> channels;
    std::vector<std::string> values;
    std::vector<WebAlarmState> alarms;

    WebLevel Level() const;
};

/// One event of the stream; its text is made once, by the first client that sends it.
class WebEvent {
public:
    WebEvent(uint64_t seq, std::string type, std::shared_ptr<const WebReading> reading, std::string data)
        : seq(seq), type(std::move(type)), reading(std::move(reading)), data(std::move(data)) {}
    /// "event: TYPE\nid: RUN-SEQ\ndata: JSON\n\n".
    const std::string& Text(uint64_t run) const;

    const uint64_t seq;
    const std::string type;
    const std::shared_ptr<const WebReading> reading;  // for "reading"
    const std::string data;                           // for the others

private:
    mutable std::once_flag once_;
    mutable std::string text_;
};
using WebEventPtr = std::shared_ptr<const WebEvent>;

/// A station's list entry as the handlers read it.
struct WebStationView {
    std::string kind;
    int typeCode = 0;
    std::string logFolder;
    std::shared_ptr<const WebReading> latest;  // also holds name, active and channels
    std::string messages;                      // the alert and alarm message text
    std::shared_ptr<StationCounters> counters;
    std::optional<std::chrono::steady_clock::time_point> lastReadingAt;
};

class WebBoard {
public:
    static constexpr std::size_t kKeptEvents = 1024;

    WebBoard();

    // ---- From the runtime (see LiveOutput) ----
    void Assign(const StationList& stations, StationsChange why);
    /// The station's lock is held by the caller.
    void Update(const WeatherStation& station);
    void SetRunning(bool running);

    // ---- For the server's threads ----
    bool Running() const;
    std::vector<WebStationView> Stations() const;
    /// The first station of that name (compared without regard to ASCII case).
    std::optional<WebStationView> Find(const std::string& name) const;
    /// This run's id, the first part of every event id.
    uint64_t Run() const { return run_; }
    /// The seq of the newest event (0 when none).
    uint64_t LastSeq() const;

    enum class Wait { Events, Timeout, Behind, Closed };
    /// Waits up to `timeout` for events after `after` and hands back (up to `max` of) them in
    /// order. Behind: the one after `after` is no longer kept. Closed: Close was called.
    Wait NextEvents(uint64_t after, std::size_t max, std::chrono::milliseconds timeout, std::vector<WebEventPtr>& out);
    /// Wakes every waiting stream for good.
    void Close();

private:
    struct Entry {
        const void* key = nullptr;
        WebStationView view;
    };
    void PushLocked(std::string type, std::shared_ptr<const WebReading> reading, std::string data);

    const uint64_t run_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    std::deque<WebEventPtr> events_;
    uint64_t nextSeq_ = 1;
    bool running_ = false;
    bool closed_ = false;
};

}  // namespace svu
