#pragma once

// Sound input and output behind small interfaces: the alarm recorder takes its samples from an
// AudioInput (the sound card through PortAudio, or a file or test tone), and the recordings window
// plays its files through an AudioOutput. Both report failures as text, never by ending the program.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace svu {

class Clock;

/// Mono PCM as the recorder asks for it: 8-bit unsigned or 16-bit signed little-endian samples.
struct AudioFormat {
    int samplesPerSecond = 8000;
    int bitsPerSample = 8;
    int channels = 1;

    int BlockAlign() const { return channels * bitsPerSample / 8; }
    bool operator==(const AudioFormat&) const = default;
};

/// A capture device. Open starts capturing at once; every full buffer of `framesPerBuffer` frames
/// goes to the handler, on a thread of the device's own. Stop hands over what was captured since the
/// last full buffer (a shorter buffer) before it returns, and no buffer follows it.
class AudioInput {
public:
    using BufferHandler = std::function<void(const uint8_t* bytes, std::size_t count)>;

    virtual ~AudioInput() = default;

    /// False, with `error` set ("WAVEIN:%x:%s": the device's error number and text), when the
    /// device cannot be opened or started.
    virtual bool Open(const AudioFormat& format, std::size_t framesPerBuffer, BufferHandler handler,
                      std::string& error) = 0;
    /// Ends the capture started by Open (nothing when none runs).
    virtual void Stop() = 0;
};

/// Plays sound files, one at a time, without blocking the caller.
class AudioOutput {
public:
    /// Told, on the player's own thread, that a file could not be played.
    using ErrorHandler = std::function<void(const std::string& error)>;

    virtual ~AudioOutput() = default;

    /// Stops what plays and starts playing the WAV file; returns at once. A missing file plays
    /// nothing (and is no error: the recordings window clears such entries).
    virtual void Play(const std::string& wavPath) = 0;
    /// Stops playing; returns once the device is released.
    virtual void StopPlaying() = 0;
    virtual void SetErrorHandler(ErrorHandler handler) = 0;
};

/// The default capture and playback devices through PortAudio.
std::unique_ptr<AudioInput> MakePortAudioInput();
std::unique_ptr<AudioOutput> MakePortAudioOutput();

struct WavData;

/// Plays PCM samples on the default output and returns when they have been played, `stop` was
/// set, or (false, with `error`) the device failed.
bool PlayPcm(const WavData& wav, const std::atomic<bool>* stop, std::string& error);

/// "WAVEIN:%x:%s" with the error number in hexadecimal and its text.
std::string WaveInErrorText(int code, const std::string& text);

}  // namespace svu
