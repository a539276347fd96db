// The end-to-end tests call stratavue-cli's Main in-process; display commands run in-process too
// instead of being handed to the stratavue-display program.
#include "cli/Cli.h"

namespace {
const int kDisplayCommandsRegistered = [] {
    svu::cli::SetDisplayRunner(svu::cli::RunDisplay);
    return 0;
}();
}  // namespace
