#pragma once

// A pseudo-terminal pair, for instrument simulators and tests: the master end plays the
// instrument, the slave device path is what a station opens as its serial port.

#include <string>

namespace svu {

/// Owns a pty master and one descriptor of its slave (held so the master never sees a hang-up
/// while no client has the device open).
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    /// Creates the pair, raw and non-blocking on both ends; false with a message on failure.
    bool Open(std::string* error = nullptr);
    /// Closes both ends: a client that has the slave open sees the device vanish.
    void Close();
    bool IsOpen() const { return master_ >= 0; }
    int MasterFd() const { return master_; }
    /// Path of the slave device, e.g. /dev/pts/7.
    const std::string& SlavePath() const { return slavePath_; }

    /// Points a symbolic link at the slave (replacing an existing link); false on failure.
    bool CreateLink(const std::string& linkPath, std::string* error = nullptr);
    /// Removes the link made by CreateLink, when it still points at this slave.
    void RemoveLink();

private:
    int master_ = -1;
    int heldSlave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

/// Puts a terminal descriptor into raw mode (no echo, no line editing, 8 bits); false on failure.
bool MakeTerminalRaw(int fd);

}  // namespace svu
