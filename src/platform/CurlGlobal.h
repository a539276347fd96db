#pragma once

namespace svu {

/// libcurl's process-wide set-up, done once before the first transfer of any thread.
void EnsureCurlInitialised();

}  // namespace svu
