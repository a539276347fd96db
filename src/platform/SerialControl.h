#pragma once

// The serial control the stations drive: open a port by number or device with "9600,n,8,1"
// settings, count, read and discard received bytes, send bytes and text, tell when sending is
// done, read a text line with a time-out, list the serial devices, and receive a file by
// XMODEM-CRC. A device that disappears (a USB adapter pulled out, a simulator ended) is reported
// once and opened again by the next operation; the port stays logically open meanwhile.
// One control serves one thread at a time.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialDevices.h"
#include "platform/SerialLine.h"
#include "platform/Xmodem.h"

namespace svu {

class Profile;

/// Line settings in the control's text form "baud,parity,data,stop", e.g. "9600,n,8,1".
struct LineSettings {
    uint32_t baudRate = 9600;
    int parity = kParityNone;
    int dataBits = 8;
    int stopBits = kStopBitsOne;
};

/// Reads "9600,n,8,1" (parity n/o/e/m/s, stop bits 1, 1.5 or 2); false when malformed.
bool ParseLineSettings(std::string_view text, LineSettings& settings);

class SerialControl {
public:
    enum class State { Closed, Open, Lost };
    enum class LinkEvent { Lost, Restored };
    /// Told once when the device goes away and once when it is back, with a message for the log.
    using LinkEventHandler = std::function<void(LinkEvent, const std::string& message)>;
    /// Bytes received so far.
    using TransferProgress = std::function<void(std::size_t received)>;

    SerialControl() = default;
    ~SerialControl();
    SerialControl(const SerialControl&) = delete;
    SerialControl& operator=(const SerialControl&) = delete;

    /// Settings file whose [Ports] section maps port numbers to devices (may be null).
    void SetPortSettings(const Profile* settings) { portSettings_ = settings; }
    void SetLinkEventHandler(LinkEventHandler handler) { linkHandler_ = std::move(handler); }

    /// Opens port n ("COMn"). True when the port is open, also when it already was.
    bool Open(int portNumber, std::string_view settings = "9600,n,8,1");
    /// Opens a device by path. True when the port is open, also when it already was.
    bool OpenDevice(const std::string& device, std::string_view settings = "9600,n,8,1");
    void Close();
    /// True from a successful open until Close, including while a lost device is awaited.
    bool IsOpen() const { return state_ != State::Closed; }
    State GetState() const { return state_; }
    const std::string& Device() const { return device_; }

    /// Received bytes waiting; -1 when the port is closed or the device is missing.
    int InBufferCount();
    /// Discards the received bytes.
    void DiscardInput();
    /// How many bytes Input() returns: 0 all waiting (the default), 1 one at a time.
    void SetInputLength(int length) { inputLength_ = length; }
    int InputLength() const { return inputLength_; }
    /// The waiting bytes (or one of them, see SetInputLength); empty when none.
    std::string Input();
    /// One waiting byte, or -1 when none.
    int InputByte();
    /// Queues bytes for sending and starts sending them; false when the port is unusable.
    bool Output(std::string_view data);
    /// Bytes still waiting to be sent.
    int OutBufferCount();
    /// True when everything queued has been sent.
    bool SendComplete() { return OutBufferCount() == 0; }
    /// Waits up to timeoutMs for the queued bytes to go; true when they have.
    bool WaitSendComplete(int timeoutMs);

    /// Time-out used by ReadLine when none is given (the control's text-read time-out).
    void SetInputTimeout(int timeoutMs) { inputTimeoutMs_ = timeoutMs; }
    /// Reads a text line ended by CR, LF or CR LF (the end is not stored). When the time-out
    /// passes first, what arrived is the line; false only when nothing arrived.
    bool ReadLine(std::string& line, int timeoutMs = -1);

    /// Receives a file by XMODEM (CRC, 128/1024-byte blocks); the result says why it failed.
    XmodemResult ReceiveXmodem(std::vector<uint8_t>& data, const TransferProgress& progress = {},
                               const std::atomic<bool>* cancel = nullptr);
    /// The same into a file, created or truncated only when the transfer succeeded.
    XmodemResult ReceiveXmodemToFile(const std::string& path, const TransferProgress& progress = {},
                                     const std::atomic<bool>* cancel = nullptr);

    /// Result code of the last failed operation (SerialLine codes, errno values).
    uint32_t LastError() const { return lastError_; }
    /// A sentence describing the last failure, for error reports.
    const std::string& LastErrorText() const { return lastErrorText_; }

    /// The serial devices the machine offers (see ListSerialDevices).
    static std::vector<SerialDeviceInfo> ListDevices(const Profile* settings) { return ListSerialDevices(settings); }

    /// The underlying port, for tests and for kinds that need a SerialLine operation.
    SerialLine& Line() { return line_; }

private:
    friend class SerialControlLink;
    /// Makes the port usable for one operation: reopens a lost device (one attempt) and moves
    /// queued output on. False when it cannot be used now.
    bool Ready();
    bool OpenLine();
    /// Looks at the result of a port operation; marks the device lost when it has gone.
    bool Check(uint32_t result, const char* operation);
    void SetError(uint32_t code, const std::string& text);
    bool PumpOutput();
    /// A byte within timeoutMs; -1 time-out, -2 port failure.
    int ReadByteWithin(int timeoutMs);

    SerialLine line_;
    State state_ = State::Closed;
    std::string device_;
    LineSettings settings_;
    const Profile* portSettings_ = nullptr;
    LinkEventHandler linkHandler_;
    int inputLength_ = 0;
    int inputTimeoutMs_ = 1000;
    bool skipLineFeed_ = false;
    std::string pendingOutput_;
    uint32_t lastError_ = 0;
    std::string lastErrorText_;
};

}  // namespace svu
