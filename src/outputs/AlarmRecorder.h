#pragma once

// Alarm recordings: the recorder and writer threads, started together and living as long as this
// object, and the timing of a recording. A recording runs for its alarm's length; an alarm asking
// while one runs moves the end to its own length from now when that is later, and the same file
// goes on. The end is a deadline on the clock, checked by Poll (the refresh cycle calls it) and by
// the recorder thread when idle, so the service records without any window timer. A recording that
// reaches its end is added to "sounds.bin"; one cut short by acquisition stopping is not.

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "outputs/CRecordSound.h"
#include "outputs/CWriteSoundFile.h"
#include "stations/Notifications.h"

namespace svu {

class Clock;

class AlarmRecorder : public Recorder {
public:
    using ProblemHandler = std::function<void(const std::string&)>;

    /// `input` and `clock` must outlive the recorder; `cataloguePath` is the "sounds.bin" to add
    /// finished recordings to. Problems go to `onProblem` (on the recorder's threads), each device
    /// error once until a recording succeeds.
    AlarmRecorder(AudioInput& input, Clock& clock, std::string cataloguePath, ProblemHandler onProblem);
    ~AlarmRecorder() override;

    void Record(const RecordingRequest& request) override;
    void Poll() override;
    void Abandon() override;

    /// A recording is running (from its request until its end or abandonment).
    bool Active() const;
    /// The file of the running recording (empty when none).
    std::string CurrentPath() const;
    /// The clock tick (milliseconds) at which the running recording ends.
    int64_t EndTick() const;
    /// Told, on the writer's thread, of each recording added to the catalogue.
    void SetRecordedHandler(CWriteSoundFile::RecordedHandler handler) {
        writer_->SetRecordedHandler(std::move(handler));
    }
    /// Waits until both threads have handled what was asked of them so far.
    void Sync();

    /// How often the recorder thread checks the deadline by itself.
    static constexpr std::chrono::milliseconds kIdleCheck{100};

private:
    void Report(const std::string& problem);

    Clock& clock_;
    ProblemHandler onProblem_;
    mutable std::mutex mutex_;
    bool active_ = false;
    int64_t endTick_ = 0;
    TimeT startTime_ = 0;
    std::string path_;
    std::string lastProblem_;
    std::unique_ptr<CWriteSoundFile> writer_;
    std::unique_ptr<CRecordSound> recorder_;
};

/// The wave format an alarm's settings ask for: a rate outside 1000..192000 becomes 8000, bits
/// other than 16 become 8.
WaveFormat AlarmWaveFormat(int samplesPerSecond, int bitsPerSample);

}  // namespace svu
