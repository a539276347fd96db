#pragma once

// The sound-recorder thread of alarm recordings. A start message opens the sound input with the
// recording's format and tells the writer to create the file; every buffer the input fills is
// copied and handed to the writer; a stop message ends the input (its last, partly filled buffer
// included) and tells the writer to complete the file. The input delivers 1000-sample buffers and
// keeps its own queue of them, so it never runs dry while the writer writes.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "outputs/CWriteSoundFile.h"
#include "outputs/MessageThread.h"
#include "platform/AudioDevice.h"

namespace svu {

class CRecordSound {
public:
    static constexpr std::size_t kFramesPerBuffer = 1000;

    /// `input` must outlive the recorder. `onProblem` hears, on this thread, of an input that
    /// cannot be opened ("WAVEIN:%x:%s"). `onIdle` runs on this thread whenever no message has come
    /// for `idlePeriod`.
    CRecordSound(AudioInput& input, std::function<void(const std::string&)> onProblem,
                 std::chrono::milliseconds idlePeriod = std::chrono::milliseconds(0),
                 std::function<void()> onIdle = {});
    ~CRecordSound();

    /// Starts recording into a new file; ignored while a recording runs.
    void PostStart(WaveRecordingRequest request);
    /// Stops recording; the writer then completes the file and, with `entry`, catalogues it.
    void PostStop(std::optional<CatalogueEntry> entry);
    /// Where the recorded buffers go (set once, after both threads have started).
    void PostSetWriter(CWriteSoundFile* writer);

    bool Recording() const { return recording_.load(); }
    void Sync() { thread_->Sync(); }

private:
    struct Start {
        WaveRecordingRequest request;
    };
    struct Stop {
        std::optional<CatalogueEntry> entry;
    };
    struct SetWriter {
        CWriteSoundFile* writer;
    };
    using Message = std::variant<Start, Stop, SetWriter>;

    void Handle(Message& message);

    AudioInput& input_;
    std::function<void(const std::string&)> onProblem_;
    std::atomic<CWriteSoundFile*> writer_{nullptr};
    std::atomic<bool> recording_{false};
    std::mutex bufferMutex_;
    bool fileAnnounced_ = false;
    std::vector<std::vector<uint8_t>> early_;
    std::unique_ptr<MessageThread<Message>> thread_;  // last
};

}  // namespace svu
