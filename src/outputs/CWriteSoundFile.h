#pragma once

// The WAV-writer thread of alarm recordings. It creates the file when a recording starts, appends
// each buffer the recorder hands it (its own copy, freed here) and completes the file when the
// recording ends; then, for a recording that ended by its timer, it adds the record to the
// recordings catalogue, so a record never names a file still being written.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "outputs/MessageThread.h"
#include "outputs/SoundCatalogue.h"
#include "outputs/WavFile.h"

namespace svu {

/// A recording to make: the file and its format.
struct WaveRecordingRequest {
    std::string path;
    WaveFormat format;
};

class CWriteSoundFile {
public:
    /// Told on the writer's thread of a record added to the catalogue, or of a problem.
    using RecordedHandler = std::function<void(const CatalogueEntry&)>;
    using ProblemHandler = std::function<void(const std::string&)>;

    /// `cataloguePath`: the "sounds.bin" that finished recordings are added to.
    CWriteSoundFile(std::string cataloguePath, ProblemHandler onProblem);
    ~CWriteSoundFile();

    /// Buffers waiting beyond this many are dropped (and reported): a stalled disk must not eat
    /// the memory.
    static constexpr std::size_t kMaxQueuedBuffers = 4000;

    /// Creates the file and writes its header (a file that cannot be created drops the recording).
    void PostCreate(WaveRecordingRequest request);
    /// Appends the recorded bytes (copied by the caller).
    void PostAppend(std::vector<uint8_t> bytes);
    /// Completes and closes the file; with `entry` the recording is then catalogued.
    void PostClose(std::optional<CatalogueEntry> entry);

    void SetRecordedHandler(RecordedHandler handler);
    /// Waits until the messages posted so far are handled.
    void Sync() { thread_->Sync(); }

private:
    struct Create {
        WaveRecordingRequest request;
    };
    struct Append {
        std::vector<uint8_t> bytes;
    };
    struct Close {
        std::optional<CatalogueEntry> entry;
    };
    using Message = std::variant<Create, Append, Close>;

    void Handle(Message& message);

    std::string cataloguePath_;
    ProblemHandler onProblem_;
    std::mutex handlerMutex_;
    RecordedHandler onRecorded_;
    WavFileWriter file_;
    std::string path_;
    bool writeFailed_ = false;
    std::atomic<bool> dropReported_{false};
    std::unique_ptr<MessageThread<Message>> thread_;  // last: its thread ends before the rest goes
};

}  // namespace svu
