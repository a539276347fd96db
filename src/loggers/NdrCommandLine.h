#pragma once

#include <string>

namespace svu {

/// The logger's command line as its set-up reader and writer see it: whoever owns the link (a
/// cable, a modem call, a radio connection) has already walked the logger into its command mode.
class NdrCommandLine {
public:
    virtual ~NdrCommandLine() = default;

    /// Sends one command (ending in a carriage return) and gives the logger's reply, the empty text
    /// for a bare prompt. False when no valid reply came (the link has reported why).
    virtual bool Transact(const std::string& command, std::string* reply) = 0;
    /// Sends one command without waiting for a reply. False when the link failed.
    virtual bool SendOnly(const std::string& command) = 0;
    /// Shows the command about to be sent in the transfer window and advances its progress by
    /// `steps`; false once the user has cancelled the transfer.
    virtual bool ShowProgress(const std::string& text, int steps) = 0;
};

}  // namespace svu
