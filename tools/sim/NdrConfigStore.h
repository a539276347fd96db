#pragma once

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
};

}  // namespace svu::sim
