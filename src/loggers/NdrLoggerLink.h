#pragma once

#include <functional>

namespace svu {

class NDR;
class NdrCommandLine;

/// A station that reaches a data logger's command line (the cable, modem and radio logger kinds).
/// The set-up transfers of the configuration sheet and of stratavue-cli go through it.
class NdrLoggerLink {
public:
    virtual ~NdrLoggerLink() = default;

    /// The set-up the station keeps in its record.
    virtual NDR& LoggerSetup() = 0;
    /// Opens the link, walks the logger into its command line, runs `work` on it, then leaves the
    /// command line and closes the link. False when the command line could not be reached (the
    /// station has said why) or when `work` returned false.
    virtual bool WithCommandLine(const std::function<bool(NdrCommandLine&)>& work) = 0;
    /// Erases the logged data in the logger's memory.
    virtual bool ClearLoggerMemory() = 0;
};

}  // namespace svu
