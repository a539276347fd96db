#pragma once

// Line speeds by number, including the ones termios has no constant for (14400, 56000, 128000,
// 256000): kept apart because the kernel's termios2 header cannot share a unit with <termios.h>.

#include <cstdint>

namespace svu::termios_speed {

/// Sets input and output speed to the given rate; 0 or an errno value.
int SetSpeed(int fd, uint32_t baudRate);

/// The current output speed in bits per second, or -errno.
int64_t GetSpeed(int fd);

}  // namespace svu::termios_speed
