#include "gadgets/RoseWindow.h"

#include <algorithm>
#include <cmath>

namespace svu {

namespace {

constexpr double kRadiansPerDegree = 0.01745329252;
constexpr double kDegreesPerRadian = 57.29577951;
// Resultants smaller than this share of the total are rounding left over from samples that
// cancelled out or left the window.
constexpr double kCancelledShare = 1e-9;

}  // namespace

void RoseWindow::Clear() {
    samples_.clear();
    sums_.fill(0.0);
    vectorX_ = vectorY_ = total_ = 0.0;
    droppedSinceSum_ = 0;
}

void RoseWindow::Add(const RoseSample& sample, double sign) {
    sums_[sample.sector % kRoseSectors] += sign * static_cast<double>(sample.amount);
    vectorX_ += sign * sample.east;
    vectorY_ += sign * sample.north;
    total_ += sign * static_cast<double>(sample.amount);
}

void RoseWindow::Append(RoseSample sample) {
    const double radians = static_cast<double>(sample.direction) * kRadiansPerDegree;
    const auto amount = static_cast<double>(sample.amount);
    sample.east = amount == 0 ? 0.0 : amount * std::sin(radians);
    sample.north = amount == 0 ? 0.0 : amount * std::cos(radians);
    samples_.push_back(sample);
    Add(sample, 1.0);
}

void RoseWindow::DropOlderThan(TimeT newest, int32_t windowSeconds) {
    bool dropped = false;
    while (!samples_.empty() && samples_.front().time + windowSeconds < newest) {
        Add(samples_.front(), -1.0);
        samples_.pop_front();
        ++droppedSinceSum_;
        dropped = true;
    }
    if (!dropped) {
        return;
    }
    if (samples_.empty()) {
        Clear();
    } else if (droppedSinceSum_ >= samples_.size()) {
        Recompute();
    }
}

void RoseWindow::Recompute() {
    sums_.fill(0.0);
    vectorX_ = vectorY_ = total_ = 0.0;
    for (const RoseSample& sample : samples_) {
        Add(sample, 1.0);
    }
    droppedSinceSum_ = 0;
}

double RoseWindow::PrevailingDirection() const {
    if (samples_.empty()) {
        return 0.0;
    }
    const double tolerance = kCancelledShare * std::max(std::fabs(total_), 1.0);
    const bool noX = std::fabs(vectorX_) <= tolerance;
    const bool noY = std::fabs(vectorY_) <= tolerance;
    if (noX && noY) {
        return NormaliseBearing(samples_.front().direction);
    }
    if (noY) {
        return vectorX_ > 0 ? 90.0 : 270.0;
    }
    return NormaliseBearing(std::atan2(vectorX_, vectorY_) * kDegreesPerRadian);
}

}  // namespace svu
