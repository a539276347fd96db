#pragma once

// The simulators of stratavue-sim beyond the Direct instrument, each run in the foreground until
// stop is set. They print the device path first and return the program's exit code.

#include <atomic>
#include <string>
#include <vector>

namespace svu::sim {

/// Ends with 3 when turns overlapped on the air.
int RunRadioSim(const std::vector<std::string>& args, const std::atomic<bool>& stop);
int RunGenericSim(const std::vector<std::string>& args, const std::atomic<bool>& stop);
int RunModemSim(const std::vector<std::string>& args, const std::atomic<bool>& stop);
int RunNdrSim(const std::vector<std::string>& args, const std::atomic<bool>& stop);

}  // namespace svu::sim
