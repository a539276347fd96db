#pragma once

// A telephone modem on a serial device, driven by Hayes AT commands: initialise, dial, wait for
// CONNECT with a time-out, recognise the refusals (BUSY, NO CARRIER, NO DIALTONE, NO ANSWER,
// ERROR), and hang up with the escape sequence and ATH, then by dropping DTR (closing the port).

#include <functional>
#include <string>
#include <string_view>

namespace svu {

class Clock;
class Profile;
class SerialControl;

/// How a dial ended.
enum class DialResult { Connected, Busy, NoCarrier, NoDialtone, NoAnswer, Error, NoResponse, NoDevice, Cancelled };

/// "CONNECT" for Connected, the modem's words for the refusals, a sentence for the others.
const char* DialResultText(DialResult result);

/// Reads one result line of a modem; Connected for "CONNECT" with or without a speed, Error for
/// anything that is not a result code.
DialResult ParseModemResult(std::string_view line);

/// The device a modem name stands for: "COMn" or a plain number n is port n (see
/// SerialPortDevice), anything else is a device path.
std::string ModemDevice(const std::string& modemName, const Profile* portSettings);

class HayesModem {
public:
    struct Timing {
        int commandMs = 3000;   ///< for the OK to a command
        int connectMs = 60000;  ///< from ATD to CONNECT
        int guardMs = 1000;     ///< silence before and after "+++"
    };
    /// Initialisation sent before every dial: echo off, verbal results, extended result codes.
    static constexpr const char* kInit = "ATE0V1Q0X4";

    /// The modem is reached through control (which it opens and closes); clock paces the waits;
    /// cancel (may be empty) ends a wait early.
    HayesModem(SerialControl& control, Clock& clock, std::function<bool()> cancel = {});

    void SetTiming(const Timing& timing) { timing_ = timing; }

    /// Opens device with the line settings ("9600,n,8,1"), initialises the modem and dials number.
    /// On anything but Connected the line is hung up and the port closed.
    DialResult Dial(const std::string& device, std::string_view lineSettings, const std::string& number);
    /// Escape to command mode, ATH, then close the port (which drops DTR). Harmless when not connected.
    void HangUp();
    /// A call is up (Dial succeeded and HangUp has not run).
    bool Connected() const { return connected_; }
    /// The CONNECT line of the last successful dial, e.g. "CONNECT 9600".
    const std::string& ConnectText() const { return connectText_; }

private:
    bool Cancelled() const { return cancel_ && cancel_(); }
    void Pause(int ms);
    bool Command(const std::string& command);
    /// The next non-empty line within timeoutMs; false on time-out, cancel or a failed line.
    bool ReadResultLine(std::string& line, int timeoutMs);

    SerialControl& control_;
    Clock& clock_;
    std::function<bool()> cancel_;
    Timing timing_;
    std::string partial_;
    std::string connectText_;
    bool connected_ = false;
};

}  // namespace svu
