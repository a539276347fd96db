#include "platform/FileAudioInput.h"

#include <chrono>
#include <cmath>
#include <fstream>
#include <numbers>

#include "framework/Clock.h"
#include "platform/WavReader.h"

namespace svu {

namespace {

constexpr auto kPollPeriod = std::chrono::milliseconds(5);
constexpr std::size_t kMaxRawBytes = 64u << 20;

// One sample in the byte form of `bits` (8: unsigned, 16: signed little-endian), from -1..1.
void PutSample(std::vector<uint8_t>& out, double value, int bits) {
    if (bits == 8) {
        out.push_back(static_cast<uint8_t>(std::lround(128.0 + value * 127.0)));
    } else {
        const auto v = static_cast<int16_t>(std::lround(value * 32767.0));
        out.push_back(static_cast<uint8_t>(v & 0xff));
        out.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
    }
}

// The first channel of a WAV's samples, brought to -1..1.
std::vector<double> Normalised(const WavData& wav) {
    std::vector<double> values;
    const std::size_t block = static_cast<std::size_t>(wav.channels * wav.bitsPerSample / 8);
    for (std::size_t at = 0; at + block <= wav.samples.size(); at += block) {
        if (wav.bitsPerSample == 8) {
            values.push_back((wav.samples[at] - 128) / 128.0);
        } else {
            const auto v = static_cast<int16_t>(wav.samples[at] | wav.samples[at + 1] << 8);
            values.push_back(v / 32768.0);
        }
    }
    return values;
}

}  // namespace

FileAudioInput::FileAudioInput(Clock& clock, double hertz) : clock_(clock), toneHertz_(hertz) {}

FileAudioInput::FileAudioInput(Clock& clock, std::string path) : clock_(clock), path_(std::move(path)) {}

FileAudioInput::~FileAudioInput() {
    Stop();
}

bool FileAudioInput::Open(const AudioFormat& format, std::size_t framesPerBuffer, BufferHandler handler,
                          std::string& error) {
    Stop();
    ++opens_;
    if (!failWith_.empty()) {
        error = failWith_;
        return false;
    }
    if (format.channels != 1 || (format.bitsPerSample != 8 && format.bitsPerSample != 16) ||
        format.samplesPerSecond <= 0 || framesPerBuffer == 0) {
        error = WaveInErrorText(32, "The format is not supported");
        return false;
    }
    source_.clear();
    if (path_.empty()) {
        // One second of the tone (a whole number of periods for the usual rates and tones).
        for (int i = 0; i < format.samplesPerSecond; ++i) {
            PutSample(source_, 0.5 * std::sin(2 * std::numbers::pi * toneHertz_ * i / format.samplesPerSecond),
                      format.bitsPerSample);
        }
    } else {
        WavData wav;
        std::string wavError;
        if (ReadWavFile(path_, wav, wavError)) {
            for (double v : Normalised(wav)) {
                PutSample(source_, v, format.bitsPerSample);
            }
        } else {
            std::ifstream in(path_, std::ios::binary);
            if (!in) {
                error = WaveInErrorText(2, "The sound file " + path_ + " cannot be opened");
                return false;
            }
            char chunk[4096];
            while ((in.read(chunk, sizeof chunk) || in.gcount() > 0) && source_.size() < kMaxRawBytes) {
                source_.insert(source_.end(), chunk, chunk + in.gcount());
            }
            source_.resize(source_.size() / static_cast<std::size_t>(format.BlockAlign()) *
                           static_cast<std::size_t>(format.BlockAlign()));
        }
        if (source_.empty()) {
            error = WaveInErrorText(2, "The sound file " + path_ + " holds no samples");
            return false;
        }
    }
    format_ = format;
    framesPerBuffer_ = framesPerBuffer;
    handler_ = std::move(handler);
    startMs_ = clock_.TickMs();
    framesDelivered_ = 0;
    {
        std::lock_guard guard(mutex_);
        running_ = true;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void FileAudioInput::Stop() {
    {
        std::lock_guard guard(mutex_);
        if (!running_) {
            return;
        }
        running_ = false;
    }
    wake_.notify_all();
    thread_.join();
    Deliver(true);
    handler_ = nullptr;
}

void FileAudioInput::Run() {
    std::unique_lock lock(mutex_);
    while (running_) {
        lock.unlock();
        Deliver(false);
        lock.lock();
        wake_.wait_for(lock, kPollPeriod, [this] { return !running_; });
    }
}

void FileAudioInput::Deliver(bool all) {
    const int64_t elapsedMs = std::max<int64_t>(0, clock_.TickMs() - startMs_);
    const uint64_t due = static_cast<uint64_t>(elapsedMs) * static_cast<uint64_t>(format_.samplesPerSecond) / 1000;
    const std::size_t block = static_cast<std::size_t>(format_.BlockAlign());
    while (framesDelivered_ < due) {
        const uint64_t left = due - framesDelivered_;
        if (left < framesPerBuffer_ && !all) {
            break;
        }
        const std::size_t frames = static_cast<std::size_t>(std::min<uint64_t>(left, framesPerBuffer_));
        buffer_.resize(frames * block);
        for (std::size_t i = 0; i < buffer_.size(); ++i) {
            buffer_[i] = source_[(framesDelivered_ * block + i) % source_.size()];
        }
        framesDelivered_ += frames;
        handler_(buffer_.data(), buffer_.size());
    }
}

}  // namespace svu
