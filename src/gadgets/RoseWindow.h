#pragma once

// The history of a real-time rose: the samples of the last `window` seconds with their totals per
// sector. The totals are kept up to date as samples arrive and leave, so a reading costs the same
// whatever the window holds; they are summed afresh only once as many samples have left as the
// window holds, which keeps rounding from building up at no more than a constant cost per reading.

#include <cstddef>
#include <cstdint>
#include <deque>

#include "framework/LocalTime.h"
#include "gadgets/RoseGeometry.h"

namespace svu {

/// One reading of a real-time rose.
struct RoseSample {
    float amount = 0;     // wind run (metres) or dust dose of the interval ending at this reading
    float direction = 0;  // degrees
    TimeT time = 0;       // reading time
    uint32_t sector = 0;  // 0 to 15
    // The amount's east and north components, worked out once when the sample joins a window so
    // that leaving it takes away exactly what joining added.
    double east = 0;
    double north = 0;
};

class RoseWindow {
public:
    /// Drops every sample and zeroes the totals.
    void Clear();
    bool Empty() const { return samples_.empty(); }
    std::size_t Size() const { return samples_.size(); }
    const RoseSample& Oldest() const { return samples_.front(); }
    const RoseSample& Newest() const { return samples_.back(); }
    const std::deque<RoseSample>& Samples() const { return samples_; }

    /// Adds a sample at the newest end (its components are worked out here).
    void Append(RoseSample sample);
    /// Drops samples from the oldest end while a sample's time plus `windowSeconds` is earlier
    /// than `newest` (a sample exactly `windowSeconds` older stays).
    void DropOlderThan(TimeT newest, int32_t windowSeconds);
    /// Sums every total afresh from the samples.
    void Recompute();

    /// Total amount per sector.
    const RoseSums& Sums() const { return sums_; }
    /// Sum of amount x sin(direction) and amount x cos(direction): the resultant's components.
    double VectorX() const { return vectorX_; }
    double VectorY() const { return vectorY_; }
    /// Sum of every amount.
    double Total() const { return total_; }

    /// The bearing of the resultant in [0, 360): 90 or 270 when it points due east or west, the
    /// oldest sample's direction when the samples cancel out (or have no amount), 0 when empty.
    double PrevailingDirection() const;

private:
    void Add(const RoseSample& sample, double sign);

    std::deque<RoseSample> samples_;
    RoseSums sums_{};
    double vectorX_ = 0;
    double vectorY_ = 0;
    double total_ = 0;
    std::size_t droppedSinceSum_ = 0;
};

}  // namespace svu
