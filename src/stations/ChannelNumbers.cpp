#include "stations/ChannelNumbers.h"

#include <algorithm>

#include "framework/TextUtil.h"

namespace svu {

void ChannelNumbers::Fit(std::size_t channels) {
    if (stamps_.size() < channels) {
        numbers_.resize(channels, 0.0);
        stamps_.resize(channels, 0);
    }
}

void ChannelNumbers::Begin(std::size_t channels) {
    if (depth_++ > 0) {
        return;
    }
    Fit(channels);
    // A new generation makes every number of the last reading unknown at once.
    if (++generation_ == 0) {
        std::fill(stamps_.begin(), stamps_.end(), 0);
        generation_ = 1;
    }
}

void ChannelNumbers::End() {
    if (depth_ > 0 && --depth_ == 0 && ++generation_ == 0) {
        std::fill(stamps_.begin(), stamps_.end(), 0);
        generation_ = 1;
    }
}

double ChannelNumbers::Convert(std::size_t channel, const std::string& text) {
    if (depth_ == 0) {
        return AtoF(text);
    }
    const double number = AtoF(text);
    Fit(channel + 1);
    numbers_[channel] = number;
    stamps_[channel] = generation_;
    return number;
}

void ChannelNumbers::Written(std::size_t channel) {
    // Converted when first asked for: most results are only logged and shown, never read back.
    if (channel < stamps_.size()) {
        stamps_[channel] = 0;  // no generation is 0
    }
}

}  // namespace svu
