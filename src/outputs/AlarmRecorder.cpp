#include "outputs/AlarmRecorder.h"

#include "framework/Clock.h"

namespace svu {

AlarmRecorder::AlarmRecorder(AudioInput& input, Clock& clock, std::string cataloguePath, ProblemHandler onProblem)
    : clock_(clock), onProblem_(std::move(onProblem)) {
    writer_ = std::make_unique<CWriteSoundFile>(std::move(cataloguePath), [this](const std::string& p) { Report(p); });
    recorder_ = std::make_unique<CRecordSound>(
        input, [this](const std::string& p) { Report(p); }, kIdleCheck, [this] { Poll(); });
    recorder_->PostSetWriter(writer_.get());
}

AlarmRecorder::~AlarmRecorder() {
    Abandon();
    recorder_.reset();  // ends the input and tells the writer to close
    writer_.reset();
}

WaveFormat AlarmWaveFormat(int samplesPerSecond, int bitsPerSample) {
    const int rate = samplesPerSecond < 1000 || samplesPerSecond > 192000 ? 8000 : samplesPerSecond;
    return WaveFormat::Pcm(static_cast<uint32_t>(rate), bitsPerSample == 16 ? 16 : 8);
}

void AlarmRecorder::Record(const RecordingRequest& request) {
    std::lock_guard guard(mutex_);
    const int64_t tick = clock_.TickMs();
    const int64_t end = tick + static_cast<int64_t>(request.lengthSeconds) * 1000;
    if (active_) {
        endTick_ = std::max(endTick_, end);  // the same file goes on
        return;
    }
    startTime_ = clock_.Now();
    path_ = RecordingFileName(request.folder, ToLocal(startTime_));
    recorder_->PostStart({path_, AlarmWaveFormat(request.samplesPerSecond, request.bitsPerSample)});
    endTick_ = end;
    active_ = true;
}

void AlarmRecorder::Poll() {
    std::lock_guard guard(mutex_);
    if (!active_ || clock_.TickMs() < endTick_) {
        return;
    }
    active_ = false;
    recorder_->PostStop(CatalogueEntry{SystemTime::FromTime(startTime_), path_});
    path_.clear();
}

void AlarmRecorder::Abandon() {
    std::lock_guard guard(mutex_);
    if (!active_) {
        return;
    }
    active_ = false;
    recorder_->PostStop(std::nullopt);
    path_.clear();
}

bool AlarmRecorder::Active() const {
    std::lock_guard guard(mutex_);
    return active_;
}

std::string AlarmRecorder::CurrentPath() const {
    std::lock_guard guard(mutex_);
    return path_;
}

int64_t AlarmRecorder::EndTick() const {
    std::lock_guard guard(mutex_);
    return endTick_;
}

void AlarmRecorder::Sync() {
    recorder_->Sync();
    writer_->Sync();
}

void AlarmRecorder::Report(const std::string& problem) {
    {
        std::lock_guard guard(mutex_);
        if (problem == lastProblem_) {
            return;  // a machine without a sound card says so once, not at every alarm
        }
        lastProblem_ = problem;
    }
    if (onProblem_) {
        onProblem_(problem);
    }
}

}  // namespace svu
