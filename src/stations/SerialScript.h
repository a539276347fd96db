#pragma once

// The generic serial station's scripts: parsed once, run against a byte stream. A script is a
// list of lines, each a command word with its arguments (see ParseScriptLine); running it sends
// and receives bytes, cuts the received bytes and turns them into the comma-separated result.
//
// A script never holds its thread past a stop request (tested before every line and inside every
// wait and receive) and never loops without reading or waiting: a loop whose pass neither
// received a byte nor let time pass ends the script, as does nesting loops without end.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace svu {

class Clock;

/// The line a script talks to.
class ScriptPort {
public:
    virtual ~ScriptPort() = default;
    /// Sends the bytes and waits until they have gone (or a stop request); false when the line failed.
    virtual bool Send(std::string_view bytes) = 0;
    /// The next received byte, waiting up to waitMs for it; -1 when none came, -2 when the line failed.
    virtual int ReadByte(int waitMs) = 0;
    /// Discards the bytes received so far.
    virtual void Flush() = 0;
    /// The acquisition is being stopped.
    virtual bool StopRequested() const = 0;
};

/// The data a station's scripts share during one poll.
struct ScriptState {
    std::string sendBuffer;
    std::string rxBuffer;
    std::string result;   ///< the values of the last "mask", each followed by ","
    int rxChecksum = 0;   ///< from "getrxchecksum"; -1 when there was none
    bool lastResult = false;
    int timeoutMs = 0;    ///< receive time-out; 0 none
    bool masked = false;  ///< a "mask" ran
    /// A receive time-out or a checksum mismatch that no "if" line has tested yet.
    bool failurePending = false;
    /// A "mask" ran on data whose receive or checksum had failed unnoticed.
    bool failedData = false;

    /// Starts a poll: nothing received, no result, no failure.
    void BeginPoll();
    /// The poll produced values that can be stored: a mask ran and no failure went unnoticed.
    bool ReadingValid() const { return masked && !failedData && !failurePending; }
};

struct ScriptLine {
    enum class Op {
        None,  // not a command: ignored
        Send,
        Wait,
        Timeout,
        Flush,
        Get,
        GetAppend,
        TestFor,
        Trim,
        Mask,
        GetRxChecksum,
        TestChecksum,
        Loop,
        LoopEnd,
        IfBreak,
    };
    Op op = Op::None;
    bool quoted = false;     ///< the argument was a quoted text (get, getappend)
    std::string text;        ///< the decoded quoted text
    long numbers[3] = {};    ///< numeric arguments (trim a b c; counts; milliseconds)
    bool ifTrue = false;     ///< "if true break" rather than "if false break"
};

/// One line of a script (without its line end).
ScriptLine ParseScriptLine(std::string_view line);

class SerialScript {
public:
    enum class End {
        Completed,  ///< ran to its last line (or left it by a "break" outside any loop)
        Stopped,    ///< the stop request came
        LineFailed, ///< the line could not be used
        Runaway,    ///< a loop neither read nor waited, or loops nested without end
    };
    /// Loops open at once beyond this end the script.
    static constexpr std::size_t kMaxLoopDepth = 64;
    /// Received bytes kept at most; a receive that would need more fails.
    static constexpr std::size_t kMaxReceived = 65536;

    SerialScript() = default;
    /// Lines end at CR LF (a line feed alone also ends one).
    explicit SerialScript(std::string_view text);

    bool Empty() const { return lines_.empty(); }
    const std::vector<ScriptLine>& Lines() const { return lines_; }

    /// Runs the script against the port; the clock measures waits and time-outs.
    End Run(ScriptPort& port, Clock& clock, ScriptState& state) const;

private:
    std::vector<ScriptLine> lines_;
};

/// A text for the error file saying why a script ended early.
const char* ScriptEndText(SerialScript::End end);

}  // namespace svu
