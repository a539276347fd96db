#include <termios.h>

#include <cerrno>
#include <utility>

#include "platform/SerialLine.h"
#include "platform/TermiosSpeed.h"

// Line settings and their queries, apart from the data path in SerialLine.cpp.

namespace svu {

namespace {

// The rates termios has a constant for; others go through termios2.
speed_t StandardSpeed(uint32_t baud) {
    static constexpr std::pair<uint32_t, speed_t> kSpeeds[] = {
        {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud) {
            return speed;
        }
    }
    return 0;
}

}  // namespace

uint32_t SerialLine::Setup(uint32_t baudRate, int dataBits, int parity, int stopBits) {
    if (Begin() != 0) {
        return lastError_;
    }
    if (baudRate == 0 || dataBits < 5 || dataBits > 8 || parity < 0 || parity > 4 || stopBits < 0 || stopBits > 2) {
        return Fail(kSerialInvalidArgument);
    }
    struct termios tio {};
    if (::tcgetattr(fd_, &tio) != 0) {
        NoteOsError(errno);
        return lastError_;
    }
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | kSizes[dataBits - 5];
    tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR | CSTOPB);
    switch (parity) {
        case kParityOdd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case kParityEven:
            tio.c_cflag |= PARENB;
            break;
        case kParityMark:
            tio.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case kParitySpace:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (parity != kParityNone) {
        tio.c_iflag |= INPCK;
    } else {
        tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    }
    if (stopBits != kStopBitsOne) {
        tio.c_cflag |= CSTOPB;
    }
    const speed_t standard = StandardSpeed(baudRate);
    if (standard != 0) {
        ::cfsetspeed(&tio, standard);
    }
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        NoteOsError(errno);
        return lastError_;
    }
    if (standard == 0) {
        if (const int err = termios_speed::SetSpeed(fd_, baudRate); err != 0) {
            NoteOsError(err);
        }
    }
    return lastError_;
}

uint32_t SerialLine::SetupHandshaking(int mode) {
    if (Begin() != 0) {
        return lastError_;
    }
    if (mode < 0 || mode > 2) {
        return Fail(kSerialInvalidArgument);
    }
    struct termios tio {};
    if (::tcgetattr(fd_, &tio) != 0) {
        NoteOsError(errno);
        return lastError_;
    }
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    if (mode == 1) {
        tio.c_cflag |= CRTSCTS;
    } else if (mode == 2) {
        tio.c_iflag |= IXON | IXOFF;
    }
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        NoteOsError(errno);
    }
    return lastError_;
}

uint32_t SerialLine::SetupReadTimeouts(int mode) {
    if (Begin() != 0) {
        return lastError_;
    }
    if (mode != 0 && mode != 1) {
        return Fail(kSerialInvalidArgument);
    }
    blockingReads_ = mode == 1;
    return 0;
}

int64_t SerialLine::GetBaudrate() {
    if (Begin() != 0) {
        return -1;
    }
    const int64_t speed = termios_speed::GetSpeed(fd_);
    if (speed < 0) {
        NoteOsError(static_cast<int>(-speed));
        return -1;
    }
    return speed;
}

int SerialLine::GetDataBits() {
    struct termios tio {};
    if (Begin() != 0) {
        return -1;
    }
    if (::tcgetattr(fd_, &tio) != 0) {
        NoteOsError(errno);
        return -1;
    }
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            return 5;
        case CS6:
            return 6;
        case CS7:
            return 7;
        default:
            return 8;
    }
}

int SerialLine::GetParity() {
    struct termios tio {};
    if (Begin() != 0) {
        return -1;
    }
    if (::tcgetattr(fd_, &tio) != 0) {
        NoteOsError(errno);
        return -1;
    }
    if ((tio.c_iflag & INPCK) == 0 || (tio.c_cflag & PARENB) == 0) {
        return kParityNone;
    }
    const bool odd = (tio.c_cflag & PARODD) != 0;
    if ((tio.c_cflag & CMSPAR) != 0) {
        return odd ? kParityMark : kParitySpace;
    }
    return odd ? kParityOdd : kParityEven;
}

int SerialLine::GetStopBits() {
    struct termios tio {};
    if (Begin() != 0) {
        return -1;
    }
    if (::tcgetattr(fd_, &tio) != 0) {
        NoteOsError(errno);
        return -1;
    }
    return (tio.c_cflag & CSTOPB) != 0 ? kStopBitsTwo : kStopBitsOne;
}

int SerialLine::GetHandshaking() {
    struct termios tio {};
    if (Begin() != 0) {
        return -1;
    }
    if (::tcgetattr(fd_, &tio) != 0) {
        NoteOsError(errno);
        return -1;
    }
    if ((tio.c_cflag & CRTSCTS) != 0) {
        return 1;
    }
    if ((tio.c_iflag & IXON) != 0 && (tio.c_iflag & IXOFF) != 0) {
        return 2;
    }
    return 0;
}

}  // namespace svu
