#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace svu {

/// The numbers a station's channel texts stand for, kept beside the texts while a reading is being
/// processed, so a text is converted at most once per reading however many derived channels and
/// alarms read it. The texts stay the truth: a number is only trusted inside a reading (between
/// Begin and End) and only after it was taken from the current text, or stored together with the
/// text that was just written. Outside a reading every request converts the text afresh, so code
/// that changes texts between readings (stations, pages, tests) never meets a stale number.
class ChannelNumbers {
public:
    /// Opens a reading over `channels` channels; nested calls only count.
    void Begin(std::size_t channels);
    /// Closes a reading: every number is forgotten.
    void End();
    bool InReading() const { return depth_ > 0; }

    /// The number of `text`, the text of `channel`: AtoF's result (C-locale rules, 0 for a text that
    /// is not a number).
    double Get(std::size_t channel, const std::string& text) {
        if (depth_ > 0 && channel < stamps_.size() && stamps_[channel] == generation_) {
            return numbers_[channel];
        }
        return Convert(channel, text);
    }
    /// A new text was just written into `channel`: its number is taken from it when next asked for.
    void Written(std::size_t channel);

    /// Opens a reading for the life of the object.
    class Scope {
    public:
        Scope(ChannelNumbers& numbers, std::size_t channels) : numbers_(numbers) { numbers_.Begin(channels); }
        ~Scope() { numbers_.End(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        ChannelNumbers& numbers_;
    };

private:
    double Convert(std::size_t channel, const std::string& text);
    void Fit(std::size_t channels);

    std::vector<double> numbers_;
    std::vector<uint32_t> stamps_;  // == generation_: numbers_ holds the number of the current text
    uint32_t generation_ = 1;
    int depth_ = 0;
};

}  // namespace svu
