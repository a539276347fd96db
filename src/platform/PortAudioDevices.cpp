// The sound card through PortAudio: capture for the alarm recorder, playback for the recordings
// window. Every PortAudio user initialises the library for itself (PortAudio counts them), so a
// machine without sound devices only fails the operation that needs one.

#include <portaudio.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/AudioDevice.h"
#include "platform/WavReader.h"

namespace svu {

namespace {

constexpr unsigned long kPlayFramesPerWrite = 1024;

PaSampleFormat SampleFormat(int bits) {
    return bits == 8 ? paUInt8 : paInt16;
}

std::string PaText(PaError code) {
    const char* text = Pa_GetErrorText(code);
    return text != nullptr ? text : "unknown error";
}

class PortAudioInput : public AudioInput {
public:
    ~PortAudioInput() override { Stop(); }

    bool Open(const AudioFormat& format, std::size_t framesPerBuffer, BufferHandler handler,
              std::string& error) override {
        Stop();
        PaError code = Pa_Initialize();
        if (code != paNoError) {
            error = WaveInErrorText(code, PaText(code));
            return false;
        }
        if (Pa_GetDefaultInputDevice() == paNoDevice) {
            Pa_Terminate();
            error = WaveInErrorText(paDeviceUnavailable, "No sound input device is available");
            return false;
        }
        handler_ = std::move(handler);
        blockAlign_ = static_cast<std::size_t>(format.BlockAlign());
        code = Pa_OpenDefaultStream(&stream_, format.channels, 0, SampleFormat(format.bitsPerSample),
                                    format.samplesPerSecond, framesPerBuffer, &PortAudioInput::Callback, this);
        if (code == paNoError) {
            code = Pa_StartStream(stream_);
            if (code != paNoError) {
                Pa_CloseStream(stream_);
            }
        }
        if (code != paNoError) {
            stream_ = nullptr;
            handler_ = nullptr;
            Pa_Terminate();
            error = WaveInErrorText(code, PaText(code));
            return false;
        }
        return true;
    }

    void Stop() override {
        if (stream_ == nullptr) {
            return;
        }
        Pa_StopStream(stream_);  // returns once the last buffer has been handed over
        Pa_CloseStream(stream_);
        stream_ = nullptr;
        handler_ = nullptr;
        Pa_Terminate();
    }

private:
    static int Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                        PaStreamCallbackFlags, void* self) {
        auto* me = static_cast<PortAudioInput*>(self);
        if (input != nullptr && me->handler_) {
            me->handler_(static_cast<const uint8_t*>(input), frames * me->blockAlign_);
        }
        return paContinue;
    }

    PaStream* stream_ = nullptr;
    BufferHandler handler_;
    std::size_t blockAlign_ = 1;
};

class PortAudioOutput : public AudioOutput {
public:
    ~PortAudioOutput() override { StopPlaying(); }

    void Play(const std::string& wavPath) override {
        StopPlaying();
        if (!std::filesystem::is_regular_file(wavPath)) {
            return;
        }
        stop_.store(false);
        thread_ = std::thread([this, wavPath] { Run(wavPath); });
    }

    void StopPlaying() override {
        stop_.store(true);
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void SetErrorHandler(ErrorHandler handler) override {
        std::lock_guard guard(mutex_);
        onError_ = std::move(handler);
    }

private:
    void Fail(const std::string& path, const std::string& why) {
        std::lock_guard guard(mutex_);
        if (onError_) {
            onError_(path + " cannot be played: " + why);
        }
    }

    void Run(const std::string& path) {
        WavData wav;
        std::string error;
        if (!ReadWavFile(path, wav, error)) {
            Fail(path, error);
            return;
        }
        std::string why;
        if (!PlayPcm(wav, &stop_, why)) {
            Fail(path, why);
        }
    }

    std::mutex mutex_;
    ErrorHandler onError_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

bool PlayPcm(const WavData& wav, const std::atomic<bool>* stop, std::string& error) {
    PaError code = Pa_Initialize();
    if (code != paNoError) {
        error = PaText(code);
        return false;
    }
    PaStream* stream = nullptr;
    if (Pa_GetDefaultOutputDevice() == paNoDevice) {
        code = paDeviceUnavailable;
    } else {
        code = Pa_OpenDefaultStream(&stream, 0, wav.channels, SampleFormat(wav.bitsPerSample), wav.samplesPerSecond,
                                    paFramesPerBufferUnspecified, nullptr, nullptr);
    }
    if (code == paNoError) {
        code = Pa_StartStream(stream);
    }
    if (code == paNoError) {
        const std::size_t block = static_cast<std::size_t>(wav.channels * wav.bitsPerSample / 8);
        const std::size_t frames = wav.samples.size() / block;
        for (std::size_t at = 0; at < frames && (stop == nullptr || !stop->load()); at += kPlayFramesPerWrite) {
            const auto count = static_cast<unsigned long>(std::min<std::size_t>(kPlayFramesPerWrite, frames - at));
            const PaError written = Pa_WriteStream(stream, wav.samples.data() + at * block, count);
            if (written != paNoError && written != paOutputUnderflowed) {
                code = written;
                break;
            }
        }
        if (stop != nullptr && stop->load()) {
            Pa_AbortStream(stream);
        } else {
            Pa_StopStream(stream);
        }
    }
    if (stream != nullptr) {
        Pa_CloseStream(stream);
    }
    Pa_Terminate();
    if (code != paNoError) {
        error = code == paDeviceUnavailable ? "no sound output device is available" : PaText(code);
        return false;
    }
    return true;
}

std::string WaveInErrorText(int code, const std::string& text) {
    char number[16];
    std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(code));
    return std::string("WAVEIN:") + number + ":" + text;
}

std::unique_ptr<AudioInput> MakePortAudioInput() {
    return std::make_unique<PortAudioInput>();
}

std::unique_ptr<AudioOutput> MakePortAudioOutput() {
    return std::make_unique<PortAudioOutput>();
}

}  // namespace svu
