#pragma once

#include <cmath>
#include <cstdint>

#include "derived/SampleRing.h"

namespace svu {

/// The largest value of a sliding run of numbered samples, at O(1) amortised cost: a queue of
/// candidates whose values fall strictly from front to back. A sample that a newer, larger or equal
/// value outlives can never be the maximum again and is discarded at once. NaN is never a maximum.
class RunningMaximum {
public:
    /// Adds sample `number` (numbers increase by one per sample).
    void Push(uint64_t number, float value) {
        if (std::isnan(value)) {
            return;
        }
        while (!candidates.Empty() && candidates.Back().value <= value) {
            candidates.PopBack();
        }
        candidates.PushBack({number, value});
    }
    /// Forgets the samples numbered below `firstKept`.
    void DropBefore(uint64_t firstKept) {
        while (!candidates.Empty() && candidates.Front().number < firstKept) {
            candidates.PopFront();
        }
    }
    /// False when every retained sample is NaN.
    bool HasValue() const { return !candidates.Empty(); }
    float Value() const { return candidates.Front().value; }
    void Clear() { candidates.Release(); }

private:
    struct Candidate {
        uint64_t number = 0;
        float value = 0.0f;
    };
    SampleRing<Candidate> candidates;
};

}  // namespace svu
