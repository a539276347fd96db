#pragma once

#include <map>
#include <string>
#include <string_view>

namespace svu::sim {

/// The set-up a simulated data logger holds: it answers the configuration commands of the logger's
/// command line, both the reading and the setting forms, from its own tables.
class NdrConfigStore {
public:
    NdrConfigStore();

    /// Answers one command (without its carriage return). False when it is no configuration
    /// command; otherwise `reply` holds the logger's answer ("ERROR - ..." for a bad argument) and
    /// `changed` tells whether a setting changed.
    bool Answer(std::string_view command, std::string* reply, bool* changed);

    /// The whole set-up as text, and back (false for text it cannot take).
    std::string Dump() const;
    bool Load(std::string_view text);

    /// The reply the logger gives to the reading form `key` ("scunit(5)", "sltext"); empty when
    /// there is no such setting.
    std::string Get(const std::string& key) const;
    /// How many times "slprofile(save)" has been received.
    int Saves() const { return saves_; }

private:
    // Reading form of each setting -> the reply to it.
    std::map<std::string, std::string> values_;
    int saves_ = 0;
};

}  // namespace svu::sim
