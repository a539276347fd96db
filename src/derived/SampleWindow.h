#pragma once

#include <cstdint>

#include "derived/SampleRing.h"
#include "framework/LocalTime.h"

namespace svu {

/// One retained reading of a window channel: its reading time and the source value as float.
struct Sample {
    TimeT time = 0;
    float value = 0.0f;
};

/// Seconds from `earlier` to `later` (negative when readings went backwards in time).
inline int64_t Interval(const Sample& earlier, const Sample& later) {
    return static_cast<int64_t>(static_cast<uint64_t>(later.time) - static_cast<uint64_t>(earlier.time));
}

/// The samples of a time window, oldest first. Each sample after the oldest stands for the interval
/// since its predecessor; the oldest carries no weight. The owner keeps its running statistics up to
/// date through the two callbacks of Push, so no reading ever walks the window.
class SampleWindow {
public:
    std::size_t Size() const { return ring.Size(); }
    bool Empty() const { return ring.Empty(); }
    /// Sample i counted from the oldest.
    const Sample& operator[](std::size_t i) const { return ring[i]; }
    const Sample& Oldest() const { return ring.Front(); }
    const Sample& Newest() const { return ring.Back(); }
    /// Newest time minus oldest time.
    int64_t SpanSeconds() const { return Interval(Oldest(), Newest()); }
    /// Running number of the oldest retained sample (samples are numbered 0, 1, ... as pushed).
    uint64_t OldestNumber() const { return firstNumber; }

    /// Appends `sample` as the newest, then drops the oldest while the window spans more than
    /// `windowSeconds` (a sample exactly that much older stays; the newest always stays).
    /// `added(previous, sample)` is called when the new sample gets an interval, `dropped(oldest,
    /// next)` before the oldest leaves, since `next` then loses its interval.
    template <class Added, class Dropped>
    void Push(const Sample& sample, int64_t windowSeconds, Added&& added, Dropped&& dropped) {
        if (!ring.Empty()) {
            added(ring.Back(), sample);
        }
        ring.PushBack(sample);
        while (ring.Size() >= 2 && Interval(ring.Front(), ring.Back()) > windowSeconds) {
            dropped(ring[0], ring[1]);
            ring.PopFront();
            ++firstNumber;
        }
    }

    /// Forgets every sample and frees their memory.
    void Clear() {
        ring.Release();
        firstNumber = 0;
    }

private:
    SampleRing<Sample> ring;
    uint64_t firstNumber = 0;
};

}  // namespace svu
