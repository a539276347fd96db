#include "platform/SerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace svu {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Received bytes held in user space at most; the rest waits in the driver.
constexpr std::size_t kMaxBuffered = 1u << 20;
// Slice of a wait that must also watch the output queue (which poll cannot report).
constexpr int kTxPollSliceMs = 10;

bool IsLostError(int err) {
    return err == EIO || err == ENXIO || err == ENODEV || err == EBADF || err == ENOTTY;
}

// Milliseconds left of a wait; -1 stands for no limit (poll's convention).
class Deadline {
public:
    explicit Deadline(uint32_t timeoutMs)
        : infinite_(timeoutMs == kSerialInfinite),
          end_(SteadyClock::now() + std::chrono::milliseconds(infinite_ ? 0 : timeoutMs)) {}
    int Remaining() const {
        if (infinite_) {
            return -1;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - SteadyClock::now()).count();
        return left > 0 ? static_cast<int>(std::min<int64_t>(left, 1 << 30)) : 0;
    }
    bool Expired() const { return !infinite_ && SteadyClock::now() >= end_; }

private:
    bool infinite_;
    SteadyClock::time_point end_;
};

}  // namespace

SerialLine::~SerialLine() {
    Close();
}

uint32_t SerialLine::Begin() {
    lastError_ = 0;
    return IsOpen() ? 0 : Fail(kSerialInvalidHandle);
}

uint32_t SerialLine::CheckTimeoutRules(const SerialOverlapped* overlapped, uint32_t timeoutMs) {
    if (!overlapped_ && (overlapped != nullptr || timeoutMs != kSerialInfinite)) {
        return Fail(kSerialInvalidFunction);
    }
    return 0;
}

void SerialLine::NoteOsError(int err) {
    lastError_ = static_cast<uint32_t>(err);
    if (IsLostError(err)) {
        deviceLost_ = true;
    }
}

uint32_t SerialLine::Open(const std::string& device, uint32_t inQueue, uint32_t outQueue, bool overlapped) {
    lastError_ = 0;
    if (IsOpen()) {
        return Fail(kSerialAlreadyOpen);
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Fail(static_cast<uint32_t>(errno));
    }
    // Exclusive like a Windows port: flock keeps other programs' instances out (root ignores TIOCEXCL).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return Fail(static_cast<uint32_t>(err));
    }
    struct termios tio {};
    if (::tcgetattr(fd, &tio) != 0) {
        const int err = errno;
        ::close(fd);
        return Fail(static_cast<uint32_t>(err));
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB | PARODD | CMSPAR);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    // VMIN 1 makes an empty non-blocking read fail with EAGAIN, leaving end-of-file to a hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetspeed(&tio, B9600);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int err = errno;
        ::close(fd);
        return Fail(static_cast<uint32_t>(err));
    }
    ::ioctl(fd, TIOCEXCL);
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    device_ = device;
    overlapped_ = overlapped;
    inQueue_ = inQueue;
    outQueue_ = outQueue;
    deviceLost_ = false;
    blockingReads_ = false;
    eventChar_ = 0;
    latched_ = 0;
    eventMask_ = 0;
    wroteSinceEmpty_ = false;
    rx_.clear();
    rxHead_ = 0;
    mask_ = kSerialEventRxChar | kSerialEventBreak | kSerialEventError;
    return 0;
}

uint32_t SerialLine::Close() {
    lastError_ = 0;
    if (fd_ >= 0) {
        // The exclusive flag outlives our descriptor when another one (a simulator's) stays open.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    rx_.clear();
    rxHead_ = 0;
    return 0;
}

uint32_t SerialLine::SetEventChar(uint8_t character, bool adjustMask) {
    if (Begin() != 0) {
        return lastError_;
    }
    eventChar_ = character;
    if (adjustMask) {
        mask_ |= kSerialEventRxFlag;
    }
    return 0;
}

uint32_t SerialLine::SetMask(uint32_t mask) {
    if (Begin() != 0) {
        return lastError_;
    }
    mask_ = mask;
    latched_ = 0;
    return 0;
}

int SerialLine::PollFor(short events, int timeoutMs) {
    struct pollfd pfd {
        fd_, events, 0
    };
    int rc;
    do {
        rc = ::poll(&pfd, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        NoteOsError(errno);
        return -1;
    }
    if (rc == 0) {
        return 0;
    }
    if ((pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (pfd.revents & events) == 0) {
        NoteOsError(EIO);
        return -1;
    }
    return 1;
}

bool SerialLine::FillBuffer() {
    if (rxHead_ > 0 && rxHead_ == rx_.size()) {
        rx_.clear();
        rxHead_ = 0;
    }
    uint8_t chunk[4096];
    while (rx_.size() - rxHead_ < kMaxBuffered) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            const auto* begin = chunk;
            const auto* end = chunk + n;
            if (std::find(begin, end, eventChar_) != end) {
                latched_ |= kSerialEventRxFlag;
            }
            latched_ |= kSerialEventRxChar;
            rx_.insert(rx_.end(), begin, end);
            continue;
        }
        if (n == 0) {
            // End-of-file after a hang-up means the other end has gone; without one it is only
            // an empty read (another program may have set VMIN to 0).
            struct pollfd pfd {
                fd_, POLLIN, 0
            };
            if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                NoteOsError(EIO);
                return false;
            }
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return true;
        }
        NoteOsError(errno);
        return false;
    }
    return true;
}

uint32_t SerialLine::TakeFromBuffer(uint8_t* buffer, uint32_t length) {
    const std::size_t count = std::min<std::size_t>(length, rx_.size() - rxHead_);
    if (count == 0) {
        return 0;  // nothing buffered: rx_ may have no storage at all
    }
    std::memcpy(buffer, rx_.data() + rxHead_, count);
    rxHead_ += count;
    if (rxHead_ == rx_.size()) {
        rx_.clear();
        rxHead_ = 0;
    }
    return static_cast<uint32_t>(count);
}

uint32_t SerialLine::DoRead(uint8_t* buffer, uint32_t length, uint32_t* read, uint32_t timeoutMs) {
    *read = 0;
    if (!FillBuffer()) {
        return lastError_;
    }
    if (!blockingReads_ || rx_.size() - rxHead_ >= length) {
        *read = TakeFromBuffer(buffer, length);
        return 0;
    }
    const Deadline deadline(timeoutMs);
    while (rx_.size() - rxHead_ < length) {
        const int ready = PollFor(POLLIN, deadline.Remaining());
        if (ready < 0) {
            return lastError_;
        }
        if (ready == 0) {
            // Cancelled: what arrived stays queued for the next read.
            return Fail(kSerialTimeout);
        }
        if (!FillBuffer()) {
            return lastError_;
        }
    }
    *read = TakeFromBuffer(buffer, length);
    return 0;
}

uint32_t SerialLine::WriteSome(const uint8_t* data, uint32_t length, uint32_t* written) {
    while (*written < length) {
        const ssize_t n = ::write(fd_, data + *written, length - *written);
        if (n > 0) {
            *written += static_cast<uint32_t>(n);
            wroteSinceEmpty_ = true;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return 0;
        }
        NoteOsError(n < 0 ? errno : EIO);
        return lastError_;
    }
    return 0;
}

uint32_t SerialLine::DoWrite(const uint8_t* data, uint32_t length, uint32_t* written, uint32_t timeoutMs) {
    *written = 0;
    const Deadline deadline(timeoutMs);
    while (true) {
        if (WriteSome(data, length, written) != 0) {
            return lastError_;
        }
        if (*written == length) {
            return 0;
        }
        const int ready = PollFor(POLLOUT, deadline.Remaining());
        if (ready < 0) {
            return lastError_;
        }
        if (ready == 0) {
            return Fail(kSerialTimeout);
        }
    }
}

uint32_t SerialLine::LatchedEvents() {
    if (wroteSinceEmpty_ && GetOutputQueueLength() == 0 && lastError_ == 0) {
        latched_ |= kSerialEventTxEmpty;
        wroteSinceEmpty_ = false;
    }
    return latched_ & mask_;
}

uint32_t SerialLine::DoWait(uint32_t* events, uint32_t timeoutMs) {
    *events = 0;
    if (mask_ == 0) {
        return Fail(kSerialInvalidArgument);
    }
    const Deadline deadline(timeoutMs);
    while (true) {
        if (!FillBuffer()) {
            return lastError_;
        }
        const uint32_t seen = LatchedEvents();
        if (lastError_ != 0) {
            return lastError_;
        }
        if (seen != 0) {
            latched_ &= ~seen;
            eventMask_ = *events = seen;
            return 0;
        }
        if (deadline.Expired()) {
            return Fail(kSerialTimeout);
        }
        int slice = deadline.Remaining();
        if ((mask_ & kSerialEventTxEmpty) != 0 && (slice < 0 || slice > kTxPollSliceMs)) {
            slice = kTxPollSliceMs;
        }
        if (PollFor(POLLIN, slice) < 0) {
            return lastError_;
        }
    }
}

uint32_t SerialLine::WaitEvent(uint32_t* events, SerialOverlapped* overlapped, uint32_t timeoutMs) {
    uint32_t ignored = 0;
    uint32_t* out = events != nullptr ? events : &ignored;
    *out = 0;
    if (Begin() != 0 || CheckTimeoutRules(overlapped, timeoutMs) != 0) {
        return lastError_;
    }
    if (overlapped == nullptr) {
        return DoWait(out, timeoutMs);
    }
    *overlapped = SerialOverlapped{};
    if (DoWait(out, 0) == 0) {
        overlapped->signalled = true;
        overlapped->transferred = *out;
        return 0;
    }
    if (lastError_ != kSerialTimeout) {
        return lastError_;
    }
    overlapped->pending = SerialOverlapped::Pending::Wait;
    overlapped->eventsOut = events;
    return Fail(kSerialIoPending);
}

uint32_t SerialLine::Write(const std::string& text, uint32_t* written, SerialOverlapped* overlapped,
                           uint32_t timeoutMs) {
    uint32_t ignored = 0;
    return Write(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()),
                 written != nullptr ? written : &ignored, overlapped, timeoutMs);
}

uint32_t SerialLine::Write(const uint8_t* data, uint32_t length, uint32_t* written, SerialOverlapped* overlapped,
                           uint32_t timeoutMs) {
    uint32_t ignored = 0;
    uint32_t* out = written != nullptr ? written : &ignored;
    *out = 0;
    if (Begin() != 0 || CheckTimeoutRules(overlapped, timeoutMs) != 0) {
        return lastError_;
    }
    if (overlapped == nullptr) {
        return DoWrite(data, length, out, timeoutMs);
    }
    *overlapped = SerialOverlapped{};
    if (WriteSome(data, length, out) != 0) {
        return lastError_;
    }
    if (*out == length) {
        overlapped->signalled = true;
        overlapped->transferred = *out;
        return 0;
    }
    overlapped->pending = SerialOverlapped::Pending::Write;
    overlapped->writeBuffer = data;
    overlapped->length = length;
    overlapped->transferred = *out;
    return Fail(kSerialIoPending);
}

uint32_t SerialLine::Read(uint8_t* buffer, uint32_t length, uint32_t* read, SerialOverlapped* overlapped,
                          uint32_t timeoutMs) {
    uint32_t ignored = 0;
    uint32_t* out = read != nullptr ? read : &ignored;
    *out = 0;
    if (Begin() != 0 || CheckTimeoutRules(overlapped, timeoutMs) != 0) {
        return lastError_;
    }
    if (overlapped == nullptr) {
        return DoRead(buffer, length, out, timeoutMs);
    }
    *overlapped = SerialOverlapped{};
    if (DoRead(buffer, length, out, 0) == 0) {
        overlapped->signalled = true;
        overlapped->transferred = *out;
        return 0;
    }
    if (lastError_ != kSerialTimeout) {
        return lastError_;
    }
    overlapped->pending = SerialOverlapped::Pending::Read;
    overlapped->readBuffer = buffer;
    overlapped->length = length;
    return Fail(kSerialIoPending);
}

uint32_t SerialLine::GetOverlappedResult(SerialOverlapped& overlapped, uint32_t* transferred, uint32_t timeoutMs) {
    uint32_t ignored = 0;
    uint32_t* out = transferred != nullptr ? transferred : &ignored;
    if (Begin() != 0) {
        return lastError_;
    }
    uint32_t result = 0;
    switch (overlapped.pending) {
        case SerialOverlapped::Pending::None:
            *out = overlapped.transferred;
            return 0;
        case SerialOverlapped::Pending::Read:
            result = DoRead(overlapped.readBuffer, overlapped.length, out, timeoutMs);
            break;
        case SerialOverlapped::Pending::Write: {
            uint32_t more = 0;
            const uint32_t done = overlapped.transferred;
            result = DoWrite(overlapped.writeBuffer + done, overlapped.length - done, &more, timeoutMs);
            overlapped.transferred = done + more;
            *out = overlapped.transferred;
            if (result == kSerialTimeout) {
                return result;  // still pending: the caller may ask again
            }
            break;
        }
        case SerialOverlapped::Pending::Wait: {
            uint32_t events = 0;
            result = DoWait(&events, timeoutMs);
            if (overlapped.eventsOut != nullptr) {
                *overlapped.eventsOut = events;
            }
            *out = events;
            break;
        }
    }
    if (result == kSerialTimeout) {
        return result;
    }
    overlapped.pending = SerialOverlapped::Pending::None;
    overlapped.signalled = true;
    overlapped.transferred = *out;
    return result;
}

uint32_t SerialLine::Purge() {
    if (Begin() != 0) {
        return lastError_;
    }
    rx_.clear();
    rxHead_ = 0;
    if (::tcflush(fd_, TCIOFLUSH) != 0) {
        NoteOsError(errno);
    }
    return lastError_;
}

uint32_t SerialLine::PurgeReceive() {
    if (Begin() != 0) {
        return lastError_;
    }
    rx_.clear();
    rxHead_ = 0;
    if (::tcflush(fd_, TCIFLUSH) != 0) {
        NoteOsError(errno);
    }
    return lastError_;
}

uint32_t SerialLine::GetInputQueueLength() {
    if (Begin() != 0 || !FillBuffer()) {
        return 0;
    }
    int driverCount = 0;
    if (::ioctl(fd_, FIONREAD, &driverCount) != 0) {
        NoteOsError(errno);
        return 0;
    }
    return static_cast<uint32_t>(rx_.size() - rxHead_ + static_cast<std::size_t>(std::max(driverCount, 0)));
}

uint32_t SerialLine::GetOutputQueueLength() {
    if (Begin() != 0) {
        return 0;
    }
    int count = 0;
    if (::ioctl(fd_, TIOCOUTQ, &count) != 0) {
        NoteOsError(errno);
        return 0;
    }
    return static_cast<uint32_t>(std::max(count, 0));
}

}  // namespace svu
