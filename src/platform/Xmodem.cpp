#include "platform/Xmodem.h"

#include <algorithm>

namespace svu {

using namespace xmodem;

namespace {

constexpr int kCancelledRead = -3;
constexpr int kReadSliceMs = 100;
constexpr std::size_t kMaxPurgeBytes = 8192;

}  // namespace

uint16_t Crc16Xmodem(const uint8_t* data, std::size_t size, uint16_t crc) {
    for (std::size_t i = 0; i < size; ++i) {
        crc = static_cast<uint16_t>(crc ^ (static_cast<uint16_t>(data[i]) << 8));
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}

const char* XmodemResultText(XmodemResult result) {
    switch (result) {
        case XmodemResult::Ok:
            return "transfer complete";
        case XmodemResult::Cancelled:
            return "transfer cancelled";
        case XmodemResult::RemoteCancelled:
            return "transfer cancelled by the other end";
        case XmodemResult::Timeout:
            return "no answer from the other end";
        case XmodemResult::TooManyErrors:
            return "too many transmission errors";
        case XmodemResult::SequenceError:
            return "blocks out of sequence";
        case XmodemResult::LinkError:
            return "serial link failed";
    }
    return "unknown transfer error";
}

namespace {

class Receiver {
public:
    Receiver(XmodemLink& link, std::vector<uint8_t>& data, const XmodemReceiveOptions& options)
        : link_(link), data_(data), options_(options) {}

    XmodemResult Run() {
        data_.clear();
        if (!Request()) {
            return XmodemResult::Timeout;
        }
        while (true) {
            const int b = Read(started_ ? options_.blockTimeoutMs : options_.startIntervalMs);
            if (b == kCancelledRead) {
                SendCancel();
                return XmodemResult::Cancelled;
            }
            if (b == XmodemLink::kLinkError) {
                return XmodemResult::LinkError;
            }
            if (b == XmodemLink::kTimeout) {
                if (!started_) {
                    if (!Request()) {
                        SendCancel();
                        return XmodemResult::Timeout;
                    }
                } else if (++errors_ > options_.maxErrors) {
                    SendCancel();
                    return XmodemResult::Timeout;
                } else if (!Send(kNak)) {
                    return XmodemResult::LinkError;
                }
                continue;
            }
            if (b == kCan) {
                // Two in a row: a lone CAN may be line noise.
                if (++cans_ >= 2) {
                    return XmodemResult::RemoteCancelled;
                }
                continue;
            }
            cans_ = 0;
            if (b == kEot) {
                return Send(kAck) ? XmodemResult::Ok : XmodemResult::LinkError;
            }
            if (b != kSoh && b != kStx) {
                continue;  // noise between blocks
            }
            const XmodemResult result = HandleBlock(b == kSoh ? 128 : 1024);
            if (result != XmodemResult::Ok) {
                return result;
            }
        }
    }

private:
    bool Send(uint8_t byte) { return link_.Write(&byte, 1); }

    void SendCancel() {
        static constexpr uint8_t kCancel[] = {kCan, kCan, kCan};
        link_.Write(kCancel, sizeof kCancel);
    }

    bool Request() {
        if (requests_ >= options_.startRequests) {
            return false;
        }
        crc_ = requests_ < options_.crcRequests;
        ++requests_;
        return Send(crc_ ? kCrcRequest : kNak);
    }

    // A byte within timeoutMs, looking at the cancel flag between short slices.
    int Read(int timeoutMs) {
        int waited = 0;
        while (true) {
            if (options_.cancel != nullptr && options_.cancel->load()) {
                return kCancelledRead;
            }
            const int slice = std::min(kReadSliceMs, std::max(timeoutMs - waited, 0));
            const int b = link_.ReadByte(slice);
            if (b != XmodemLink::kTimeout) {
                return b;
            }
            waited += slice;
            if (waited >= timeoutMs) {
                return XmodemLink::kTimeout;
            }
        }
    }

    XmodemResult HandleBlock(std::size_t size) {
        const std::size_t total = 2 + size + (crc_ ? 2 : 1);
        std::vector<uint8_t> block;
        block.reserve(total);
        while (block.size() < total) {
            const int b = Read(options_.byteTimeoutMs);
            if (b == kCancelledRead) {
                SendCancel();
                return XmodemResult::Cancelled;
            }
            if (b == XmodemLink::kLinkError) {
                return XmodemResult::LinkError;
            }
            if (b == XmodemLink::kTimeout) {
                break;
            }
            block.push_back(static_cast<uint8_t>(b));
        }
        if (block.size() < total || !Valid(block, size)) {
            return Reject();
        }
        started_ = true;
        errors_ = 0;
        const uint8_t number = block[0];
        if (number == expected_) {
            data_.insert(data_.end(), block.begin() + 2, block.begin() + 2 + static_cast<std::ptrdiff_t>(size));
            ++expected_;
            if (options_.progress) {
                options_.progress(data_.size());
            }
        } else if (number != static_cast<uint8_t>(expected_ - 1)) {
            SendCancel();
            return XmodemResult::SequenceError;
        }
        // A repeat of the block acknowledged last (our ACK was lost) is acknowledged again.
        return Send(kAck) ? XmodemResult::Ok : XmodemResult::LinkError;
    }

    bool Valid(const std::vector<uint8_t>& block, std::size_t size) const {
        if (static_cast<uint8_t>(block[0] ^ block[1]) != 0xFF) {
            return false;
        }
        const uint8_t* payload = block.data() + 2;
        if (crc_) {
            const uint16_t crc = Crc16Xmodem(payload, size);
            return block[2 + size] == (crc >> 8) && block[3 + size] == (crc & 0xFF);
        }
        uint8_t sum = 0;
        for (std::size_t i = 0; i < size; ++i) {
            sum = static_cast<uint8_t>(sum + payload[i]);
        }
        return block[2 + size] == sum;
    }

    // Waits for the line to fall silent, then asks for the block again.
    XmodemResult Reject() {
        for (std::size_t n = 0; n < kMaxPurgeBytes; ++n) {
            const int b = Read(options_.byteTimeoutMs);
            if (b == kCancelledRead) {
                SendCancel();
                return XmodemResult::Cancelled;
            }
            if (b == XmodemLink::kLinkError) {
                return XmodemResult::LinkError;
            }
            if (b == XmodemLink::kTimeout) {
                break;
            }
        }
        if (++errors_ > options_.maxErrors) {
            SendCancel();
            return XmodemResult::TooManyErrors;
        }
        return Send(kNak) ? XmodemResult::Ok : XmodemResult::LinkError;
    }

    XmodemLink& link_;
    std::vector<uint8_t>& data_;
    const XmodemReceiveOptions& options_;
    bool crc_ = true;
    bool started_ = false;
    int requests_ = 0;
    int errors_ = 0;
    int cans_ = 0;
    uint8_t expected_ = 1;
};

}  // namespace

XmodemResult XmodemReceive(XmodemLink& link, std::vector<uint8_t>& data, const XmodemReceiveOptions& options) {
    return Receiver(link, data, options).Run();
}

XmodemSender::XmodemSender(std::vector<uint8_t> data, bool oneKilobyteBlocks)
    : data_(std::move(data)), blockSize_(oneKilobyteBlocks ? 1024 : 128) {}

std::string XmodemSender::BuildBlock() {
    const std::size_t remaining = data_.size() - offset_;
    // A short tail goes in a small block even in 1K mode, as is customary.
    const std::size_t size = (blockSize_ == 1024 && remaining > 128) ? 1024 : 128;
    std::string out;
    out.reserve(size + 5);
    out.push_back(static_cast<char>(size == 1024 ? kStx : kSoh));
    out.push_back(static_cast<char>(block_ & 0xFF));
    out.push_back(static_cast<char>(~block_ & 0xFF));
    std::vector<uint8_t> payload(size, kSub);
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset_), std::min(size, remaining), payload.begin());
    out.append(payload.begin(), payload.end());
    const bool corrupt = corruptBlock_ != 0 && block_ == corruptBlock_;
    if (corrupt) {
        corruptBlock_ = 0;
    }
    if (crc_) {
        const uint16_t crc = static_cast<uint16_t>(Crc16Xmodem(payload.data(), size) ^ (corrupt ? 0x0101 : 0));
        out.push_back(static_cast<char>(crc >> 8));
        out.push_back(static_cast<char>(crc & 0xFF));
    } else {
        uint8_t sum = 0;
        for (uint8_t b : payload) {
            sum = static_cast<uint8_t>(sum + b);
        }
        out.push_back(static_cast<char>(corrupt ? sum ^ 0x01 : sum));
    }
    sentSize_ = size;
    return out;
}

std::string XmodemSender::Fail(XmodemResult why) {
    state_ = State::Failed;
    result_ = why;
    return std::string(3, static_cast<char>(kCan));
}

std::string XmodemSender::Cancel() {
    return Finished() ? std::string() : Fail(XmodemResult::Cancelled);
}

std::string XmodemSender::OnByte(uint8_t byte) {
    if (byte == kCan) {
        if (++cans_ >= 2 && !Finished()) {
            state_ = State::Failed;
            result_ = XmodemResult::RemoteCancelled;
        }
        return {};
    }
    cans_ = 0;
    switch (state_) {
        case State::WaitStart:
            if (byte != kCrcRequest && byte != kNak) {
                return {};
            }
            crc_ = byte == kCrcRequest;
            retries_ = 0;
            if (data_.empty()) {
                state_ = State::SentEot;
                return std::string(1, static_cast<char>(kEot));
            }
            state_ = State::SendingBlock;
            return BuildBlock();
        case State::SendingBlock:
            if (byte == kAck) {
                offset_ += sentSize_;
                acknowledged_ = std::min(offset_, data_.size());
                ++block_;
                retries_ = 0;
                if (offset_ >= data_.size()) {
                    state_ = State::SentEot;
                    return std::string(1, static_cast<char>(kEot));
                }
                return BuildBlock();
            }
            if (byte == kNak) {
                return ++retries_ > kMaxRetries ? Fail(XmodemResult::TooManyErrors) : BuildBlock();
            }
            return {};
        case State::SentEot:
            if (byte == kAck) {
                state_ = State::Done;
                return {};
            }
            if (byte == kNak) {
                return ++retries_ > kMaxRetries ? Fail(XmodemResult::TooManyErrors)
                                                : std::string(1, static_cast<char>(kEot));
            }
            return {};
        case State::Done:
        case State::Failed:
            return {};
    }
    return {};
}

std::string XmodemSender::OnTimeout() {
    switch (state_) {
        case State::WaitStart:
            return ++retries_ > kMaxStartWaits ? Fail(XmodemResult::Timeout) : std::string();
        case State::SendingBlock:
            return ++retries_ > kMaxRetries ? Fail(XmodemResult::Timeout) : BuildBlock();
        case State::SentEot:
            return ++retries_ > kMaxRetries ? Fail(XmodemResult::Timeout) : std::string(1, static_cast<char>(kEot));
        case State::Done:
        case State::Failed:
            return {};
    }
    return {};
}

XmodemResult XmodemSend(XmodemLink& link, const std::vector<uint8_t>& data, bool oneKilobyteBlocks,
                        uint32_t corruptBlockOnce, int silenceTimeoutMs) {
    XmodemSender sender(data, oneKilobyteBlocks);
    if (corruptBlockOnce != 0) {
        sender.CorruptBlockOnce(corruptBlockOnce);
    }
    while (!sender.Finished()) {
        const int b = link.ReadByte(silenceTimeoutMs);
        if (b == XmodemLink::kLinkError) {
            return XmodemResult::LinkError;
        }
        const std::string out = b == XmodemLink::kTimeout ? sender.OnTimeout() : sender.OnByte(static_cast<uint8_t>(b));
        if (!out.empty() && !link.Write(reinterpret_cast<const uint8_t*>(out.data()), out.size())) {
            return XmodemResult::LinkError;
        }
    }
    return sender.Result();
}

}  // namespace svu
