#pragma once

#include <cstdint>
#include <string>

namespace svu {

class WeatherStation;

/// Copies the value text of channel `channel` of `remote` into `out` for a derived channel of `own`,
/// whose lock the calling thread holds. Returns false when the channel is not usable in the remote
/// table.
///
/// The copy is made under the remote lock, as any reader of a station does. Two stations whose
/// derived channels read each other would each hold their own lock and wait for the other's; to
/// break such a cycle, a thread that is about to wait records whose lock it waits for, and the thread
/// that would close a cycle does not wait: every station on the cycle is held by a thread parked
/// until this one finishes, so the remote value cannot change while it is read.
bool CopyRemoteValue(const WeatherStation& own, WeatherStation& remote, int32_t channel, std::string& out);

}  // namespace svu
