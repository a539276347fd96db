#include "outputs/CWriteSoundFile.h"

#include <filesystem>

namespace svu {

CWriteSoundFile::CWriteSoundFile(std::string cataloguePath, ProblemHandler onProblem)
    : cataloguePath_(std::move(cataloguePath)),
      onProblem_(std::move(onProblem)),
      thread_(std::make_unique<MessageThread<Message>>([this](Message& m) { Handle(m); })) {}

CWriteSoundFile::~CWriteSoundFile() {
    thread_.reset();
}

void CWriteSoundFile::PostCreate(WaveRecordingRequest request) {
    thread_->Post(Create{std::move(request)});
}

void CWriteSoundFile::PostAppend(std::vector<uint8_t> bytes) {
    if (!thread_->Post(Append{std::move(bytes)}, kMaxQueuedBuffers) && !dropReported_.exchange(true)) {
        // One report per recording is plenty.
        onProblem_("Sound recording: the file cannot be written fast enough; samples are lost");
    }
}

void CWriteSoundFile::PostClose(std::optional<CatalogueEntry> entry) {
    thread_->Post(Close{std::move(entry)});
}

void CWriteSoundFile::SetRecordedHandler(RecordedHandler handler) {
    std::lock_guard guard(handlerMutex_);
    onRecorded_ = std::move(handler);
}

void CWriteSoundFile::Handle(Message& message) {
    if (auto* create = std::get_if<Create>(&message)) {
        std::string error;
        file_.Close();
        path_ = create->request.path;
        writeFailed_ = false;
        if (!file_.Create(path_, create->request.format, error)) {
            onProblem_("Sound recording: " + path_ + " cannot be created (" + error + ")");
        }
    } else if (auto* append = std::get_if<Append>(&message)) {
        if (file_.IsOpen() && !file_.Append(append->bytes.data(), append->bytes.size()) && !writeFailed_) {
            writeFailed_ = true;
            onProblem_("Sound recording: " + path_ + " cannot be written (disk full?)");
        }
    } else if (auto* close = std::get_if<Close>(&message)) {
        const bool created = file_.IsOpen();
        if (created && !file_.Close()) {
            onProblem_("Sound recording: " + path_ + " cannot be completed");
        }
        dropReported_ = false;
        // A recording whose file could not be made has nothing to play: no record for it.
        if (close->entry && created && std::filesystem::exists(close->entry->path)) {
            std::string error;
            if (!AppendCatalogueEntry(cataloguePath_, *close->entry, &error)) {
                onProblem_("Sound recording: the catalogue " + cataloguePath_ + " cannot be written (" + error + ")");
                return;
            }
            std::lock_guard guard(handlerMutex_);
            if (onRecorded_) {
                onRecorded_(*close->entry);
            }
        }
    }
}

}  // namespace svu
