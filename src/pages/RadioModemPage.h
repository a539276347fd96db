#pragma once

// "Radio Modem": the page of the stations reached through a radio modem on the shared radio link.

#include <cstdint>
#include <memory>

namespace svu {

class Profile;
class PropertyPage;

/// The settings of a tuned radio modem. `txAddress` is null for kinds that always transmit on
/// address 0 (no "Tx Address:" field then).
struct RadioModemSettings {
    int32_t* port = nullptr;
    int32_t* baudRate = nullptr;
    int32_t* rxAddress = nullptr;
    int32_t* txAddress = nullptr;
    float* frequency = nullptr;
    int32_t* radioType = nullptr;
};

/// The lowest and highest frequency (MHz) a tuned modem can be sent to by either model.
inline constexpr double kRadioFrequencyMin = 458.52;
inline constexpr double kRadioFrequencyMax = 460.97;

/// "Radio Modem" of a tuned modem: "Device:", "Baud rate:", "Rx Address:", "Tx Address:",
/// "Frequency:" and "Model:". `ports` maps port numbers to devices (may be null).
std::unique_ptr<PropertyPage> MakeRadioModemPage(const RadioModemSettings& settings, const Profile* ports);

/// "Radio Modem" of a channel-switched modem: "Port:" and "Channel:" (0 .. 127).
std::unique_ptr<PropertyPage> MakeRadioChannelPage(int32_t& port, uint8_t& radioChannel, const Profile* ports);

}  // namespace svu
