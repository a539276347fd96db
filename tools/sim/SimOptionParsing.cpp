#include "sim/SimOptionParsing.h"

#include "framework/TextUtil.h"

namespace svu::sim {

bool ParseInt(const std::string& text, long minimum, long maximum, long& value) {
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.find_first_not_of("0123456789") != std::string_view::npos || trimmed.size() > 10) {
        return false;
    }
    value = AtoL(trimmed);
    return value >= minimum && value <= maximum;
}

bool SetIntOption(std::span<const IntOption> options, const std::string& arg, const std::string& value,
                  std::string& error) {
    for (const IntOption& option : options) {
        if (arg != option.name || !option.forThis) {
            continue;
        }
        long number = 0;
        if (!ParseInt(value, option.minimum, option.maximum, number)) {
            error = arg + " takes a whole number from " + std::to_string(option.minimum) + " to " +
                    std::to_string(option.maximum);
            return false;
        }
        *option.target = static_cast<int>(number);
        return true;
    }
    error = "unknown option: " + arg;
    return false;
}

}  // namespace svu::sim
