#pragma once

#include <string>
#include <vector>

namespace svu {

class NDR;

/// The settings that differ between two set-ups of the data logger, named as a person reads them
/// ("Channel 5 unit", "Alarm 7 channel list"), so that an upload can show what it will change.
class NdrConfigDiff {
public:
    struct Change {
        std::string name;    ///< "Channel 5 unit"
        std::string before;  ///< the value in the first set-up, as text
        std::string after;   ///< the value in the second
        bool operator==(const Change&) const = default;
    };

    /// Every setting whose value differs, in record order (ports, channels, alarms, modem, general).
    static std::vector<Change> Between(const NDR& before, const NDR& after);

    /// One line per change: `name: "before" -> "after"`; "No settings differ." when there is none.
    static std::string Text(const std::vector<Change>& changes);
};

}  // namespace svu
