#pragma once

// Text to speech for spoken alarms: espeak-ng synthesises the words and PortAudio plays them.

#include <memory>
#include <string>

namespace svu {

class Speaker {
public:
    virtual ~Speaker() = default;
    /// Says the text and returns when it has been said; false (with `error`) when it cannot be
    /// (no voice installed, no sound output).
    virtual bool Speak(const std::string& text, std::string& error) = 0;
};

/// espeak-ng's voice for `voice` (a language name such as "en"), played on the default output.
std::unique_ptr<Speaker> MakeEspeakSpeaker(std::string voice = "en");

}  // namespace svu
