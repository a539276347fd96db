#pragma once

// The shared radio link: the stations that share it are polled one turn at a time, in list order,
// wrapping from the last to the first. Each turn runs on a thread of its own; when it ends, the
// chain starts the next member's turn. The chain only holds stations that are members, and a
// member leaves before it may be destroyed, so no turn is ever started for a station that is gone.

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace svu {

class WeatherStation;

class RadioChain {
public:
    /// Starts the station's turn (a new worker thread). Called with the chain's lock held; it must
    /// not call back into the chain.
    using StartTurn = std::function<void(WeatherStation&)>;

    explicit RadioChain(StartTurn start) : start_(std::move(start)) {}
    RadioChain(const RadioChain&) = delete;
    RadioChain& operator=(const RadioChain&) = delete;

    /// Takes the members in list order and starts the first one's turn (none when empty).
    void Begin(std::vector<WeatherStation*> members);
    /// The station's turn has ended: unless stopping, the next member's turn starts (the same
    /// station again when it is the only member). A station that is not the running one is ignored.
    void TurnEnded(WeatherStation& finished, bool stopping);
    /// Adds a station at `position` of the members (clamped to the end). When no turn runs (the
    /// chain had no member), its turn starts at once unless stopping.
    void Insert(WeatherStation& station, std::size_t position, bool stopping);
    /// Takes the station out: it gets no further turn. True when its turn is running now, so that
    /// the caller waits for that turn's thread before destroying it.
    bool Remove(WeatherStation& station);
    /// Forgets every member (acquisition has stopped).
    void Clear();

    /// The station whose turn runs, or nullptr.
    WeatherStation* Current() const;
    std::vector<WeatherStation*> Members() const;
    bool Contains(const WeatherStation& station) const;

private:
    std::optional<std::size_t> IndexOf(const WeatherStation& station) const;
    void StartLocked(WeatherStation& station);

    StartTurn start_;
    mutable std::mutex mutex_;
    std::vector<WeatherStation*> members_;
    WeatherStation* current_ = nullptr;
    // Where the next turn is looked for when the running station has left the chain: the index its
    // successor has taken.
    std::optional<std::size_t> resumeAt_;
};

}  // namespace svu
