#pragma once

// XMODEM file transfer (CRC-16 with fall-back to the arithmetic checksum; 128- and 1024-byte
// blocks received). The receiver runs over any byte link; the sender is a state machine driven
// by the bytes it receives, so an instrument simulator can run it inside its own loop.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace svu {

namespace xmodem {
constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kCan = 0x18;
constexpr uint8_t kSub = 0x1A;
constexpr uint8_t kCrcRequest = 'C';
}  // namespace xmodem

/// CRC-16/XMODEM (polynomial 0x1021, initial value 0) of the bytes, continuing from crc.
uint16_t Crc16Xmodem(const uint8_t* data, std::size_t size, uint16_t crc = 0);

/// The byte link a transfer runs over.
class XmodemLink {
public:
    static constexpr int kTimeout = -1;
    static constexpr int kLinkError = -2;
    virtual ~XmodemLink() = default;
    /// The next byte, kTimeout when none came within timeoutMs, kLinkError when the link failed.
    virtual int ReadByte(int timeoutMs) = 0;
    /// Sends the bytes; false when the link failed.
    virtual bool Write(const uint8_t* data, std::size_t size) = 0;
};

enum class XmodemResult { Ok, Cancelled, RemoteCancelled, Timeout, TooManyErrors, SequenceError, LinkError };

/// A short English description of a result, for error reports.
const char* XmodemResultText(XmodemResult result);

struct XmodemReceiveOptions {
    int startIntervalMs = 3000;  ///< between start requests
    int crcRequests = 3;         ///< 'C' requests before falling back to NAK (checksum mode)
    int startRequests = 20;      ///< start requests in all before giving up
    int blockTimeoutMs = 10000;  ///< silence tolerated between blocks
    int byteTimeoutMs = 1000;    ///< silence tolerated inside a block
    int maxErrors = 10;          ///< consecutive bad blocks before giving up
    std::function<void(std::size_t bytesReceived)> progress;
    const std::atomic<bool>* cancel = nullptr;  ///< set by another thread to abandon the transfer
};

/// Receives one file into data (the sender's padding of the last block is kept).
XmodemResult XmodemReceive(XmodemLink& link, std::vector<uint8_t>& data, const XmodemReceiveOptions& options = {});

/// The sending side, driven by received bytes and time-outs; it never blocks.
class XmodemSender {
public:
    explicit XmodemSender(std::vector<uint8_t> data, bool oneKilobyteBlocks = false);

    /// Handles one byte from the receiver; returns the bytes to transmit.
    std::string OnByte(uint8_t byte);
    /// Handles a silence of the receiver (about 10 s): repeats what is due, or gives up.
    std::string OnTimeout();
    /// Abandons the transfer; returns the cancel sequence to transmit.
    std::string Cancel();

    bool Finished() const { return state_ == State::Done || state_ == State::Failed; }
    bool Succeeded() const { return state_ == State::Done; }
    bool Started() const { return state_ != State::WaitStart; }
    /// Ok once finished well; otherwise why the transfer failed (meaningful once Finished()).
    XmodemResult Result() const { return result_; }
    std::size_t BytesAcknowledged() const { return acknowledged_; }
    std::size_t Size() const { return data_.size(); }
    /// Makes the first transmission of block number (1-based) carry a wrong check value.
    void CorruptBlockOnce(uint32_t blockNumber) { corruptBlock_ = blockNumber; }

    static constexpr int kMaxRetries = 10;
    static constexpr int kMaxStartWaits = 6;

private:
    enum class State { WaitStart, SendingBlock, SentEot, Done, Failed };
    std::string BuildBlock();
    std::string Fail(XmodemResult why);

    std::vector<uint8_t> data_;
    std::size_t blockSize_;
    State state_ = State::WaitStart;
    bool crc_ = true;
    uint32_t block_ = 1;  // block being sent, 1-based
    std::size_t offset_ = 0;
    std::size_t sentSize_ = 0;  // payload size of the block last built
    std::size_t acknowledged_ = 0;
    int retries_ = 0;
    int cans_ = 0;
    uint32_t corruptBlock_ = 0;
    XmodemResult result_ = XmodemResult::Ok;
};

/// Sends data over a blocking link with XmodemSender (used by tests and tools).
XmodemResult XmodemSend(XmodemLink& link, const std::vector<uint8_t>& data, bool oneKilobyteBlocks = false,
                        uint32_t corruptBlockOnce = 0, int silenceTimeoutMs = 10000);

}  // namespace svu
