#pragma once

// Which device a serial port number stands for, and which serial devices the machine offers.
// Port n is the device named by the key "COMn" of the section "Ports" of the settings file,
// otherwise /dev/ttyS(n-1).

#include <string>
#include <vector>

namespace svu {

class Profile;

/// One entry of the device list.
struct SerialDeviceInfo {
    std::string path;    ///< device path, e.g. /dev/ttyUSB0
    int portNumber = 0;  ///< the port number that reaches it, 0 when none does
    std::string label;   ///< text for a drop-down: "COM3 (/dev/ttyS2)" or the path alone
};

/// The settings section holding the port-number mappings.
inline constexpr const char* kPortsSection = "Ports";

/// The device for port number n (empty for n < 1). settings may be null.
std::string SerialPortDevice(int portNumber, const Profile* settings);

/// The port number that reaches a device, 0 when none does. settings may be null.
int SerialPortNumber(const std::string& device, const Profile* settings);

/// Every mapped device (in port order), then /dev/ttyS* with a UART behind them, /dev/ttyUSB*,
/// /dev/ttyACM* and /dev/serial/by-id/*, each path once.
std::vector<SerialDeviceInfo> ListSerialDevices(const Profile* settings);

}  // namespace svu
