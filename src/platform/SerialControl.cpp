#include "platform/SerialControl.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include "framework/TextUtil.h"

namespace svu {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Receive and transmit queue sizes the stations ask for.
constexpr uint32_t kInputQueue = 65536;
constexpr uint32_t kOutputQueue = 4096;
// Output queued by us beyond what the driver takes; more than this is refused.
constexpr std::size_t kMaxPendingOutput = 1u << 20;
constexpr int kSendPollMs = 5;
constexpr int kXmodemWriteTimeoutMs = 5000;

int64_t MsUntil(SteadyClock::time_point end) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(end - SteadyClock::now()).count();
}

std::string CodeText(uint32_t code) {
    switch (code) {
        case kSerialInvalidFunction:
            return "operation not allowed on this port";
        case kSerialInvalidHandle:
            return "port not open";
        case kSerialAlreadyOpen:
            return "port already open";
        case kSerialTimeout:
            return "time-out";
        case kSerialInvalidArgument:
            return "invalid argument";
        default:
            return std::strerror(static_cast<int>(code));
    }
}

}  // namespace

bool ParseLineSettings(std::string_view text, LineSettings& settings) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(
            Trim(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (fields.size() != 4 || fields[0].empty() || fields[1].size() != 1) {
        return false;
    }
    LineSettings parsed;
    const long baud = AtoL(fields[0]);
    if (baud <= 0 || fields[0].find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    parsed.baudRate = static_cast<uint32_t>(baud);
    switch (ToLowerAscii(fields[1][0])) {
        case 'n':
            parsed.parity = kParityNone;
            break;
        case 'o':
            parsed.parity = kParityOdd;
            break;
        case 'e':
            parsed.parity = kParityEven;
            break;
        case 'm':
            parsed.parity = kParityMark;
            break;
        case 's':
            parsed.parity = kParitySpace;
            break;
        default:
            return false;
    }
    parsed.dataBits = AtoI(fields[2]);
    if (fields[2].size() != 1 || parsed.dataBits < 5 || parsed.dataBits > 8) {
        return false;
    }
    if (fields[3] == "1") {
        parsed.stopBits = kStopBitsOne;
    } else if (fields[3] == "1.5") {
        parsed.stopBits = kStopBitsOneHalf;
    } else if (fields[3] == "2") {
        parsed.stopBits = kStopBitsTwo;
    } else {
        return false;
    }
    settings = parsed;
    return true;
}

/// The control seen as an XMODEM byte link.
class SerialControlLink : public XmodemLink {
public:
    explicit SerialControlLink(SerialControl& control) : control_(control) {}
    int ReadByte(int timeoutMs) override {
        const int b = control_.ReadByteWithin(timeoutMs);
        return b >= 0 ? b : (b == -1 ? kTimeout : kLinkError);
    }
    bool Write(const uint8_t* data, std::size_t size) override {
        return control_.Output(std::string_view(reinterpret_cast<const char*>(data), size)) &&
               control_.WaitSendComplete(kXmodemWriteTimeoutMs);
    }

private:
    SerialControl& control_;
};

SerialControl::~SerialControl() {
    Close();
}

void SerialControl::SetError(uint32_t code, const std::string& text) {
    lastError_ = code;
    lastErrorText_ = text;
}

bool SerialControl::Open(int portNumber, std::string_view settings) {
    if (IsOpen()) {
        return true;
    }
    const std::string device = SerialPortDevice(portNumber, portSettings_);
    if (device.empty()) {
        SetError(kSerialInvalidArgument, "No serial port number " + std::to_string(portNumber));
        return false;
    }
    return OpenDevice(device, settings);
}

bool SerialControl::OpenDevice(const std::string& device, std::string_view settings) {
    if (IsOpen()) {
        return true;
    }
    LineSettings parsed;
    if (!ParseLineSettings(settings, parsed)) {
        SetError(kSerialInvalidArgument, "Invalid line settings \"" + std::string(settings) + "\"");
        return false;
    }
    device_ = device;
    settings_ = parsed;
    if (!OpenLine()) {
        return false;
    }
    state_ = State::Open;
    return true;
}

bool SerialControl::OpenLine() {
    uint32_t result = line_.Open(device_, kInputQueue, kOutputQueue, true);
    if (result == 0) {
        result = line_.Setup(settings_.baudRate, settings_.dataBits, settings_.parity, settings_.stopBits);
    }
    if (result == 0) {
        result = line_.SetupHandshaking(0);
    }
    if (result != 0) {
        line_.Close();
        SetError(result, "Unable to open serial device " + device_ + " (" + CodeText(result) + ")");
        return false;
    }
    skipLineFeed_ = false;
    return true;
}

void SerialControl::Close() {
    line_.Close();
    state_ = State::Closed;
    pendingOutput_.clear();
    skipLineFeed_ = false;
}

bool SerialControl::Check(uint32_t result, const char* operation) {
    if (result == 0 || result == kSerialTimeout) {
        return true;
    }
    if (line_.DeviceLost() && state_ == State::Open) {
        line_.Close();
        state_ = State::Lost;
        pendingOutput_.clear();
        SetError(result, "Serial device " + device_ + " is no longer available (" + CodeText(result) + ")");
        if (linkHandler_) {
            linkHandler_(LinkEvent::Lost, lastErrorText_);
        }
        return false;
    }
    SetError(result, std::string(operation) + " failed on " + device_ + " (" + CodeText(result) + ")");
    return false;
}

bool SerialControl::Ready() {
    if (state_ == State::Closed) {
        SetError(kSerialInvalidHandle, "Serial port not open");
        return false;
    }
    if (state_ == State::Lost) {
        // One attempt per operation: the caller's own polling period paces the retries.
        if (!OpenLine()) {
            return false;
        }
        state_ = State::Open;
        if (linkHandler_) {
            linkHandler_(LinkEvent::Restored, "Serial device " + device_ + " is available again");
        }
    }
    return PumpOutput();
}

bool SerialControl::PumpOutput() {
    if (pendingOutput_.empty()) {
        return true;
    }
    uint32_t written = 0;
    const uint32_t result = line_.Write(reinterpret_cast<const uint8_t*>(pendingOutput_.data()),
                                        static_cast<uint32_t>(pendingOutput_.size()), &written, nullptr, 0);
    pendingOutput_.erase(0, written);
    return Check(result, "Sending");
}

int SerialControl::InBufferCount() {
    if (!Ready()) {
        return -1;
    }
    const uint32_t count = line_.GetInputQueueLength();
    return Check(line_.LastError(), "Reading") ? static_cast<int>(count) : -1;
}

void SerialControl::DiscardInput() {
    if (Ready()) {
        // Only the receive side: queued output must still go.
        Check(line_.PurgeReceive(), "Discarding input");
    }
}

std::string SerialControl::Input() {
    std::string data;
    if (!Ready()) {
        return data;
    }
    uint8_t chunk[4096];
    const uint32_t want = inputLength_ == 1 ? 1 : sizeof chunk;
    while (true) {
        uint32_t got = 0;
        const uint32_t result = line_.Read(chunk, want, &got);
        data.append(reinterpret_cast<const char*>(chunk), got);
        if (!Check(result, "Reading") || got < want || inputLength_ == 1) {
            break;
        }
    }
    return data;
}

int SerialControl::InputByte() {
    if (!Ready()) {
        return -1;
    }
    uint8_t b = 0;
    uint32_t got = 0;
    const uint32_t result = line_.Read(&b, 1, &got);
    return Check(result, "Reading") && got == 1 ? b : -1;
}

bool SerialControl::Output(std::string_view data) {
    if (!Ready()) {
        return false;
    }
    if (pendingOutput_.size() + data.size() > kMaxPendingOutput) {
        SetError(kSerialInvalidArgument, "Output queue full on " + device_);
        return false;
    }
    pendingOutput_.append(data);
    return PumpOutput();
}

int SerialControl::OutBufferCount() {
    if (!Ready()) {
        return 0;
    }
    const uint32_t driver = line_.GetOutputQueueLength();
    Check(line_.LastError(), "Sending");
    return static_cast<int>(pendingOutput_.size() + driver);
}

bool SerialControl::WaitSendComplete(int timeoutMs) {
    const auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        if (!Ready()) {
            return false;
        }
        if (!pendingOutput_.empty()) {
            uint32_t written = 0;
            const int64_t left = std::max<int64_t>(MsUntil(end), 0);
            const uint32_t result = line_.Write(reinterpret_cast<const uint8_t*>(pendingOutput_.data()),
                                                static_cast<uint32_t>(pendingOutput_.size()), &written, nullptr,
                                                static_cast<uint32_t>(left));
            pendingOutput_.erase(0, written);
            if (!Check(result, "Sending")) {
                return false;
            }
        }
        if (SendComplete()) {
            return true;
        }
        if (MsUntil(end) <= 0) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kSendPollMs));
    }
}

int SerialControl::ReadByteWithin(int timeoutMs) {
    if (!Ready()) {
        return -2;
    }
    uint8_t b = 0;
    uint32_t got = 0;
    line_.SetupReadTimeouts(1);
    const uint32_t result = line_.Read(&b, 1, &got, nullptr, static_cast<uint32_t>(std::max(timeoutMs, 0)));
    if (line_.IsOpen()) {
        line_.SetupReadTimeouts(0);
    }
    if (!Check(result, "Reading")) {
        return -2;
    }
    return got == 1 ? b : -1;
}

bool SerialControl::ReadLine(std::string& line, int timeoutMs) {
    line.clear();
    const auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs < 0 ? inputTimeoutMs_ : timeoutMs);
    while (true) {
        const int b = ReadByteWithin(static_cast<int>(std::max<int64_t>(MsUntil(end), 0)));
        if (b < 0) {
            return !line.empty();
        }
        if (b == '\n' && skipLineFeed_) {
            skipLineFeed_ = false;
            continue;
        }
        skipLineFeed_ = b == '\r';
        if (b == '\r' || b == '\n') {
            return true;
        }
        line.push_back(static_cast<char>(b));
    }
}

XmodemResult SerialControl::ReceiveXmodem(std::vector<uint8_t>& data, const TransferProgress& progress,
                                          const std::atomic<bool>* cancel) {
    data.clear();
    if (!Ready()) {
        return XmodemResult::LinkError;
    }
    SerialControlLink link(*this);
    XmodemReceiveOptions options;
    options.progress = progress;
    options.cancel = cancel;
    const XmodemResult result = XmodemReceive(link, data, options);
    if (result != XmodemResult::Ok && result != XmodemResult::LinkError) {
        SetError(kSerialInvalidFunction, std::string("File transfer failed: ") + XmodemResultText(result));
    }
    return result;
}

XmodemResult SerialControl::ReceiveXmodemToFile(const std::string& path, const TransferProgress& progress,
                                                const std::atomic<bool>* cancel) {
    std::vector<uint8_t> data;
    const XmodemResult result = ReceiveXmodem(data, progress, cancel);
    if (result != XmodemResult::Ok) {
        return result;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
        std::remove(path.c_str());
        SetError(static_cast<uint32_t>(EIO), "Unable to write " + path);
        return XmodemResult::LinkError;
    }
    return result;
}

}  // namespace svu
