#pragma once

// A simulated data logger: its main menu on escape, option 10 to its command line with the prompt
// "> " and the echo of every character, real-time streaming with or without checksum, a memory of
// binary records it sends on "rsdl()", and its set-up commands, which go to its configuration
// store. A state machine without I/O; NdrSimulator serves it on a pseudo-terminal.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/NdrConfigStore.h"

namespace svu::sim {

struct NdrLoggerOptions {
    int channels = 4;             ///< values per real-time line and per memory record
    int periodMs = 1000;          ///< between two real-time lines
    int records = 0;              ///< records in memory at start
    int recordSeconds = 60;       ///< seconds between two memory records
    uint32_t firstRecordTime = 1700000000;  ///< logger time of the first record
    bool reject = false;          ///< every command is answered "ERROR - ..."
    bool noChecksum = false;      ///< "clirt(cs)" is refused
    int corruptEvery = 0;         ///< every Nth real-time line carries a damaged value
    int echoDelayMs = 0;          ///< the echo, and the prompt after each answer, come this late
};

class NdrLogger {
public:
    explicit NdrLogger(NdrLoggerOptions options);

    /// Bytes from the line; what is due at once is returned, the rest comes from OnTick.
    std::string OnInput(std::string_view bytes, int64_t tickMs);
    /// Time passing: delayed output and real-time lines.
    std::string OnTick(int64_t tickMs);
    /// The logger was switched off and on (cable pulled): back at its menu, not streaming.
    void Restart();

    /// The memory as the logger sends it on "rsdl()".
    const std::string& Memory() const { return memory_; }
    /// Bytes of one memory record.
    int RecordSize() const { return 7 + 4 * options_.channels; }
    /// The value texts of every good real-time line sent since the last call.
    std::vector<std::string> TakeSentLines();
    /// Called after a command that changed a setting.
    void SetOnConfigChanged(std::function<void()> handler) { onConfigChanged_ = std::move(handler); }
    NdrConfigStore& Store() { return store_; }
    /// The command format (parameter 67, set with "spdata(67,N)").
    int CommandFormat() const { return commandFormat_; }

private:
    enum class Mode { Menu, CommandLine, Realtime };

    void Queue(std::string bytes, int64_t dueTick);
    std::string Due(int64_t tickMs);
    void OnByte(char c, int64_t tickMs);
    void RunCommand(const std::string& command, int64_t tickMs);
    void MenuChoice(const std::string& choice, int64_t tickMs);
    std::string Menu() const;
    std::string RealtimeLine();
    void FillMemory();

    NdrLoggerOptions options_;
    NdrConfigStore store_;
    Mode mode_ = Mode::Menu;
    bool checksum_ = false;
    bool memoryOpen_ = false;
    bool memoryUnlocked_ = false;
    int commandFormat_ = 0;  ///< parameter 67: 0 the logger's own, 1 emulation
    std::string typed_;
    std::string memory_;
    std::deque<std::pair<int64_t, std::string>> out_;
    int64_t lastDue_ = 0;
    int64_t nextLineTick_ = 0;
    uint64_t lineNumber_ = 0;
    std::vector<std::string> sent_;
    std::function<void()> onConfigChanged_;
};

}  // namespace svu::sim
