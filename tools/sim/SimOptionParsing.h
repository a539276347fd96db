#pragma once

// Reading the simulators' whole-number options.

#include <span>
#include <string>

namespace svu::sim {

/// A whole number of decimal digits (no sign, at most 10 digits) within [minimum, maximum].
bool ParseInt(const std::string& text, long minimum, long maximum, long& value);

/// A whole-number option: its name, where it goes and its range. An option not `forThis` simulator
/// is unknown to it.
struct IntOption {
    const char* name;
    int* target;
    long minimum;
    long maximum;
    bool forThis = true;
};

/// Sets the option `arg` names from `value`. False with `error` for an unknown option or a value
/// out of its range.
bool SetIntOption(std::span<const IntOption> options, const std::string& arg, const std::string& value,
                  std::string& error);

}  // namespace svu::sim
