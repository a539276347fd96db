#pragma once

// A conversation with the data logger over any byte stream (a serial cable today; a modem call or
// a radio link for the kinds that reach the logger that way): walking its menu into the command
// line, commands with and without an awaited answer, and the receiving of its memory image.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace svu {

class SerialControl;

class Clock;

/// The bytes to and from the logger.
class NdrByteStream {
public:
    virtual ~NdrByteStream() = default;
    /// Sends the bytes; false when the link has failed.
    virtual bool Write(std::string_view bytes) = 0;
    /// Appends the bytes that have arrived (none is fine); false when the link has failed.
    virtual bool Read(std::string& into) = 0;
    /// Drops the bytes that have arrived.
    virtual void Discard() = 0;
};

/// A station's serial control as a session's byte stream. The control is looked up on every call:
/// the station creates it when its port is first opened.
class SerialControlStream : public NdrByteStream {
public:
    explicit SerialControlStream(std::function<SerialControl*()> comm) : comm_(std::move(comm)) {}
    bool Write(std::string_view bytes) override;
    bool Read(std::string& into) override;
    void Discard() override;

private:
    std::function<SerialControl*()> comm_;
};

/// What the session needs of the station that owns it.
struct NdrSessionHooks {
    /// The user or the stop request has ended the work.
    std::function<bool()> cancelled;
    /// An entry for the station's error report.
    std::function<void(const std::string&)> report;
    /// The logger refused a command: shown to the user with the command and the answer.
    std::function<void(const std::string& command, const std::string& reply)> refused;
};

class NdrSession {
public:
    /// The longest wait for one reply.
    static constexpr int kReplyTimeoutMs = 2500;
    /// How long the menu may take to appear after an escape.
    static constexpr int kMenuWindowMs = 3000;
    /// The longest pause inside a memory image before the transfer is given up.
    static constexpr int kTransferSilenceMs = 5000;

    NdrSession(NdrByteStream& stream, Clock& clock, NdrSessionHooks hooks);

    /// Drops what has arrived, also what was read but not yet taken.
    void DiscardInput();
    /// The next reply within timeoutMs; false (without a report) when none came, the link failed
    /// or the work was cancelled.
    bool ReadReply(std::string& reply, int timeoutMs = kReplyTimeoutMs);
    /// Escape until the main menu shows (at most `attempts` times), then its option 10. False
    /// with a report when the logger did not answer.
    bool EnterCommandMode(int attempts);
    /// Sends a command and gives its answer: the empty text for a bare prompt. A refused command
    /// is reported and shown; false then and when no answer came.
    bool Transact(std::string_view command, std::string* reply);
    /// Sends a command and waits only for its echo, so that whatever follows the echo (a memory
    /// image, a stream) starts clean. False with a report when no echo came.
    bool SendOnly(std::string_view command);
    /// Sends one byte as it is.
    bool SendByte(char byte);
    /// Hands over what arrived after the last reply taken.
    std::string TakePending();

    enum class ReceiveResult { Done, Cancelled, Silent, LinkFailed, SinkFailed };
    /// Receives exactly `total` bytes (starting with those already read after the last reply)
    /// into `sink`, telling `progress` the count after each piece.
    ReceiveResult Receive(int64_t total, const std::function<bool(std::string_view)>& sink,
                          const std::function<void(int64_t)>& progress);

    bool Cancelled() const { return hooks_.cancelled && hooks_.cancelled(); }
    /// Reports "Invalid response from weather station" unless the work was cancelled; false.
    bool InvalidResponse();

private:
    /// Reads more bytes into pending_; false when the link failed.
    bool Fill();
    /// The echo of `command` within the reply time-out; prompts before it are skipped.
    bool AwaitEcho(std::string_view command);

    NdrByteStream& stream_;
    Clock& clock_;
    NdrSessionHooks hooks_;
    std::string pending_;
};

}  // namespace svu
