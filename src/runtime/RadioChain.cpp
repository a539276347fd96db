#include "runtime/RadioChain.h"

#include <algorithm>

namespace svu {

std::optional<std::size_t> RadioChain::IndexOf(const WeatherStation& station) const {
    const auto it = std::find(members_.begin(), members_.end(), &station);
    if (it == members_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - members_.begin());
}

void RadioChain::StartLocked(WeatherStation& station) {
    current_ = &station;
    resumeAt_.reset();
    start_(station);
}

void RadioChain::Begin(std::vector<WeatherStation*> members) {
    std::lock_guard guard(mutex_);
    std::erase(members, nullptr);
    members_ = std::move(members);
    current_ = nullptr;
    resumeAt_.reset();
    if (!members_.empty()) {
        StartLocked(*members_.front());
    }
}

void RadioChain::TurnEnded(WeatherStation& finished, bool stopping) {
    std::lock_guard guard(mutex_);
    if (current_ != &finished) {
        return;
    }
    if (stopping || members_.empty()) {
        current_ = nullptr;
        resumeAt_.reset();
        return;
    }
    std::size_t next = 0;
    if (const auto at = IndexOf(finished)) {
        next = *at + 1;
    } else if (resumeAt_) {
        next = *resumeAt_;  // the finished station left during its turn
    }
    StartLocked(*members_[next % members_.size()]);
}

void RadioChain::Insert(WeatherStation& station, std::size_t position, bool stopping) {
    std::lock_guard guard(mutex_);
    if (IndexOf(station)) {
        return;
    }
    position = std::min(position, members_.size());
    members_.insert(members_.begin() + static_cast<std::ptrdiff_t>(position), &station);
    if (resumeAt_ && position < *resumeAt_) {
        ++*resumeAt_;  // the successor of a station that left has moved one place on
    }
    if (current_ == nullptr && !stopping) {
        StartLocked(station);
    }
}

bool RadioChain::Remove(WeatherStation& station) {
    std::lock_guard guard(mutex_);
    const auto at = IndexOf(station);
    if (at) {
        members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(*at));
        if (resumeAt_ && *at < *resumeAt_) {
            --*resumeAt_;
        }
        if (current_ == &station) {
            resumeAt_ = *at;
        }
    }
    return current_ == &station;
}

void RadioChain::Clear() {
    std::lock_guard guard(mutex_);
    members_.clear();
    current_ = nullptr;
    resumeAt_.reset();
}

WeatherStation* RadioChain::Current() const {
    std::lock_guard guard(mutex_);
    return current_;
}

std::vector<WeatherStation*> RadioChain::Members() const {
    std::lock_guard guard(mutex_);
    return members_;
}

bool RadioChain::Contains(const WeatherStation& station) const {
    std::lock_guard guard(mutex_);
    return IndexOf(station).has_value();
}

}  // namespace svu
