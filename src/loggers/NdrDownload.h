#pragma once

// The logger's memory download, shared by every kind that reaches the logger (cable, modem call,
// radio): the size asked, the image received into a temporary file with progress and the time
// left shown, and its records converted into a log under the station's raw channel names.

#include <functional>
#include <string>

namespace svu {

class NdrCommandLine;

class NdrSession;
class UserInterface;
class WeatherStation;

/// How the download reaches the logger.
struct NdrDownloadLink {
    /// Opens the link when needed and walks the logger into its command line; false (reported)
    /// when that failed.
    std::function<bool()> connect;
    /// The conversation over the open link.
    std::function<NdrSession&()> session;
    /// Back to the logger's menu.
    std::function<void()> leave;
    /// Closes the link (hangs up, releases the radio).
    std::function<void()> close;
};

struct NdrDownloadResult {
    bool ok = false;     ///< the work was done (also for an empty memory)
    bool empty = false;  ///< the logger's memory was empty: no file was written
    long records = 0;    ///< records written to the log
};

/// Downloads the logger's memory into a log at targetPath. Failures are shown through `ui` and
/// reported for the station; the host's stop request cancels it, leaving no file behind.
NdrDownloadResult DownloadNdrMemory(WeatherStation& station, UserInterface& ui, const NdrDownloadLink& link,
                                    const std::string& targetPath);

/// Empties the logger's memory from its command line. Each step waits for its answer, so a refusal
/// is not taken for a cleared memory.
bool ClearNdrMemory(NdrCommandLine& line);

}  // namespace svu
