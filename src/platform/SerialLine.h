#pragma once

// The program's own serial port: a thin layer over termios with the operations, result codes and
// overlapped/time-out rules the station code was written against. Every operation sets
// LastError() (0 first) and returns it, or the value asked for.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace svu {

/// Result codes besides the operating system's errno values.
constexpr uint32_t kSerialOk = 0;
constexpr uint32_t kSerialInvalidFunction = 1;  ///< finite time-out or caller's record on a port not opened overlapped
constexpr uint32_t kSerialInvalidHandle = 6;    ///< the port is not open
constexpr uint32_t kSerialIoPending = 997;      ///< overlapped operation started, finish with GetOverlappedResult
constexpr uint32_t kSerialAlreadyOpen = 1247;
constexpr uint32_t kSerialTimeout = 1460;
constexpr uint32_t kSerialInvalidArgument = 0x80070057u;

/// Time-out value meaning "wait without limit".
constexpr uint32_t kSerialInfinite = 0xFFFFFFFFu;

/// Communication events (event mask bits).
constexpr uint32_t kSerialEventRxChar = 0x0001;   ///< a byte was received
constexpr uint32_t kSerialEventRxFlag = 0x0002;   ///< the event character was received
constexpr uint32_t kSerialEventTxEmpty = 0x0004;  ///< the last byte written has left the output queue
constexpr uint32_t kSerialEventBreak = 0x0040;    ///< never reported: termios has no out-of-band break report
constexpr uint32_t kSerialEventError = 0x0080;    ///< never reported: line errors are not signalled by termios

/// Parity codes of Setup and GetParity.
enum SerialParity : int { kParityNone = 0, kParityOdd = 1, kParityEven = 2, kParityMark = 3, kParitySpace = 4 };
/// Stop-bit codes of Setup and GetStopBits (1.5 is served as 2 by termios).
enum SerialStopBits : int { kStopBitsOne = 0, kStopBitsOneHalf = 1, kStopBitsTwo = 2 };

/// A caller's record of an overlapped operation: when an operation completes at once it is
/// signalled with the count; otherwise the operation is kept here until GetOverlappedResult.
struct SerialOverlapped {
    bool signalled = false;    ///< the caller's event
    uint32_t transferred = 0;  ///< bytes moved, or the events seen by WaitEvent
    enum class Pending { None, Read, Write, Wait } pending = Pending::None;
    uint8_t* readBuffer = nullptr;
    const uint8_t* writeBuffer = nullptr;
    uint32_t length = 0;
    uint32_t* eventsOut = nullptr;
};

/// A serial device opened through termios.
class SerialLine {
public:
    SerialLine() = default;
    virtual ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    /// Opens the device exclusively, raw, 9600 8N1 without handshaking and with empty queues.
    /// The queue sizes are remembered only (the kernel sizes its own); overlapped allows time-outs.
    virtual uint32_t Open(const std::string& device, uint32_t inQueue = 0, uint32_t outQueue = 0,
                          bool overlapped = false);
    /// Closes the port (no-op result 0 when already closed).
    virtual uint32_t Close();
    /// Changes the speed, data bits (5..8), parity code and stop-bit code only.
    virtual uint32_t Setup(uint32_t baudRate, int dataBits, int parity, int stopBits);
    /// Sets the character that raises kSerialEventRxFlag; with adjustMask the event is added to the mask.
    virtual uint32_t SetEventChar(uint8_t character, bool adjustMask);
    virtual uint32_t SetMask(uint32_t mask);
    /// Waits for one of the masked events; the events seen go to *events.
    virtual uint32_t WaitEvent(uint32_t* events, SerialOverlapped* overlapped = nullptr,
                               uint32_t timeoutMs = kSerialInfinite);
    /// 0 none, 1 hardware (RTS/CTS), 2 software (XON/XOFF both ways).
    virtual uint32_t SetupHandshaking(int mode);
    /// 0: a read returns at once with what is waiting; 1: a read waits for the whole count.
    virtual uint32_t SetupReadTimeouts(int mode);
    virtual int64_t GetBaudrate();
    virtual int GetDataBits();
    virtual int GetParity();
    virtual int GetStopBits();
    virtual int GetHandshaking();
    virtual uint32_t GetEventMask() const { return mask_; }
    virtual int GetEventChar() const { return IsOpen() ? eventChar_ : -1; }
    /// Writes the text without a terminator.
    virtual uint32_t Write(const std::string& text, uint32_t* written = nullptr, SerialOverlapped* overlapped = nullptr,
                           uint32_t timeoutMs = kSerialInfinite);
    virtual uint32_t Write(const uint8_t* data, uint32_t length, uint32_t* written,
                           SerialOverlapped* overlapped = nullptr, uint32_t timeoutMs = kSerialInfinite);
    virtual uint32_t Read(uint8_t* buffer, uint32_t length, uint32_t* read, SerialOverlapped* overlapped = nullptr,
                          uint32_t timeoutMs = kSerialInfinite);

    /// Finishes an operation left pending in a caller's record, waiting up to timeoutMs.
    uint32_t GetOverlappedResult(SerialOverlapped& overlapped, uint32_t* transferred,
                                 uint32_t timeoutMs = kSerialInfinite);
    /// Discards both the transmit and the receive queue.
    uint32_t Purge();
    /// Discards the receive queue only.
    uint32_t PurgeReceive();
    /// Received bytes waiting (0 on failure, with LastError set).
    uint32_t GetInputQueueLength();
    /// Bytes written but not yet sent by the driver (0 on failure).
    uint32_t GetOutputQueueLength();

    bool IsOpen() const { return fd_ >= 0; }
    uint32_t LastError() const { return lastError_; }
    /// True once the device has hung up or reported an I/O error (unplugged adapter, closed pty):
    /// the port should be closed and opened again.
    bool DeviceLost() const { return deviceLost_; }
    const std::string& Device() const { return device_; }
    int FileDescriptor() const { return fd_; }

private:
    uint32_t Fail(uint32_t code) { return lastError_ = code; }
    uint32_t Begin();
    uint32_t CheckTimeoutRules(const SerialOverlapped* overlapped, uint32_t timeoutMs);
    /// Moves whatever the driver holds into rx_; false when the device is gone or failed.
    bool FillBuffer();
    /// Polls the device for the given events; 1 ready, 0 time-out, -1 failure.
    int PollFor(short events, int timeoutMs);
    uint32_t LatchedEvents();
    void NoteOsError(int err);
    uint32_t TakeFromBuffer(uint8_t* buffer, uint32_t length);
    uint32_t WriteSome(const uint8_t* data, uint32_t length, uint32_t* written);
    uint32_t DoRead(uint8_t* buffer, uint32_t length, uint32_t* read, uint32_t timeoutMs);
    uint32_t DoWrite(const uint8_t* data, uint32_t length, uint32_t* written, uint32_t timeoutMs);
    uint32_t DoWait(uint32_t* events, uint32_t timeoutMs);

    uint32_t lastError_ = 0;
    int fd_ = -1;
    uint32_t eventMask_ = 0;  // events reported by the last wait
    uint32_t mask_ = 0;
    bool overlapped_ = false;
    bool deviceLost_ = false;
    bool blockingReads_ = false;
    uint8_t eventChar_ = 0;
    uint32_t latched_ = 0;  // events that happened and were not reported yet
    bool wroteSinceEmpty_ = false;
    uint32_t inQueue_ = 0;
    uint32_t outQueue_ = 0;
    std::string device_;
    std::vector<uint8_t> rx_;
    std::size_t rxHead_ = 0;
};

}  // namespace svu
