#pragma once

// A sound input without a sound card: it plays back the samples of a WAV or raw file (looped), or a
// generated tone, as if they were being captured. Samples are delivered at the pace of a Clock, so a
// test with a ManualClock gets exactly the samples of the time it let pass.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/AudioDevice.h"

namespace svu {

class FileAudioInput : public AudioInput {
public:
    /// A sine tone of `hertz` at half the full scale.
    FileAudioInput(Clock& clock, double hertz);
    /// The samples of a WAV file (converted to the format asked for when its bits differ) or, when
    /// the file is not a WAV file, its bytes taken as raw samples of the format asked for. A file
    /// that cannot be read makes Open fail.
    FileAudioInput(Clock& clock, std::string path);
    FileAudioInput(const FileAudioInput&) = delete;
    FileAudioInput& operator=(const FileAudioInput&) = delete;
    ~FileAudioInput() override;

    bool Open(const AudioFormat& format, std::size_t framesPerBuffer, BufferHandler handler,
              std::string& error) override;
    void Stop() override;

    /// Makes the next Open fail with this error (an unplugged card, say); empty clears it.
    void FailNextOpen(std::string error) { failWith_ = std::move(error); }
    /// Opens so far (including those that failed).
    int OpenCount() const { return opens_.load(); }

private:
    void Run();
    /// Hands over the frames due by the clock; `all` includes a last partial buffer.
    void Deliver(bool all);

    Clock& clock_;
    std::string path_;
    double toneHertz_ = 0;
    std::string failWith_;
    std::atomic<int> opens_{0};

    AudioFormat format_;
    std::size_t framesPerBuffer_ = 0;
    BufferHandler handler_;
    std::vector<uint8_t> source_;  // bytes of the format asked for, looped
    int64_t startMs_ = 0;
    uint64_t framesDelivered_ = 0;
    std::vector<uint8_t> buffer_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    std::thread thread_;
};

}  // namespace svu
