#include "outputs/CRecordSound.h"

namespace svu {

CRecordSound::CRecordSound(AudioInput& input, std::function<void(const std::string&)> onProblem,
                           std::chrono::milliseconds idlePeriod, std::function<void()> onIdle)
    : input_(input),
      onProblem_(std::move(onProblem)),
      thread_(
          std::make_unique<MessageThread<Message>>([this](Message& m) { Handle(m); }, idlePeriod, std::move(onIdle))) {}

CRecordSound::~CRecordSound() {
    thread_.reset();
    if (recording_.load()) {
        input_.Stop();
        if (CWriteSoundFile* writer = writer_.load()) {
            writer->PostClose(std::nullopt);
        }
    }
}

void CRecordSound::PostStart(WaveRecordingRequest request) {
    thread_->Post(Start{std::move(request)});
}

void CRecordSound::PostStop(std::optional<CatalogueEntry> entry) {
    thread_->Post(Stop{std::move(entry)});
}

void CRecordSound::PostSetWriter(CWriteSoundFile* writer) {
    thread_->Post(SetWriter{writer});
}

void CRecordSound::Handle(Message& message) {
    if (auto* start = std::get_if<Start>(&message)) {
        if (recording_.load()) {
            return;  // one recording at a time; the runtime extends the running one instead
        }
        const WaveFormat& f = start->request.format;
        const AudioFormat format{static_cast<int>(f.samplesPerSecond), f.bitsPerSample, f.channels};
        std::string error;
        {
            std::lock_guard guard(bufferMutex_);
            fileAnnounced_ = false;
            early_.clear();
        }
        // Each full buffer is copied for the writer, which frees the copy.
        const bool opened = input_.Open(
            format, kFramesPerBuffer,
            [this](const uint8_t* bytes, std::size_t count) {
                std::lock_guard guard(bufferMutex_);
                if (!fileAnnounced_) {
                    early_.emplace_back(bytes, bytes + count);  // the writer has not been told of the file yet
                } else if (CWriteSoundFile* writer = writer_.load()) {
                    writer->PostAppend(std::vector<uint8_t>(bytes, bytes + count));
                }
            },
            error);
        if (!opened) {
            onProblem_(error);
            return;
        }
        recording_.store(true);
        std::lock_guard guard(bufferMutex_);
        CWriteSoundFile* writer = writer_.load();
        if (writer != nullptr) {
            writer->PostCreate(std::move(start->request));
            for (auto& bytes : early_) {
                writer->PostAppend(std::move(bytes));
            }
        }
        early_.clear();
        fileAnnounced_ = true;
    } else if (auto* stop = std::get_if<Stop>(&message)) {
        if (!recording_.load()) {
            return;
        }
        input_.Stop();  // hands over the last buffers before it returns
        recording_.store(false);
        if (CWriteSoundFile* writer = writer_.load()) {
            writer->PostClose(std::move(stop->entry));
        }
    } else if (auto* set = std::get_if<SetWriter>(&message)) {
        writer_.store(set->writer);
    }
}

}  // namespace svu
