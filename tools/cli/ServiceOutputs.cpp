#include "cli/ServiceOutputs.h"

#include <mutex>
#include <ostream>

#include "outputs/AlarmSounds.h"
#include "outputs/FtpPublisher.h"
#include "outputs/MailOutbox.h"
#include "runtime/Runtime.h"
#include "stations/StationReports.h"

namespace svu::cli {

namespace {

// Upload results on standard error and in error.txt: each failure once until an upload succeeds.
class UploadLog : public FtpUploadListener {
public:
    explicit UploadLog(std::ostream& err) : err_(err) {}

    void OnUploadFinished(const FtpTarget& target, const FtpResult& result) override {
        std::lock_guard lock(mutex_);
        if (result.outcome == FtpResult::Outcome::Done) {
            if (!lastError_.empty()) {
                err_ << "FTP: uploads to " << target.server << " work again\n" << std::flush;
                lastError_.clear();
            }
            return;
        }
        const std::string message = "FTP upload to " + target.server + " failed: " +
                                    (result.message.empty() ? std::string("aborted") : result.message);
        if (message != lastError_) {
            err_ << message << "\n" << std::flush;
            ReportError(nullptr, message);
            lastError_ = message;
        }
    }

private:
    std::ostream& err_;
    std::mutex mutex_;
    std::string lastError_;
};

}  // namespace

struct ServiceOutputs::Parts {
    Runtime& runtime;
    UploadLog uploadLog;
    FtpPublisher publisher;
    MailOutbox outbox;
    AlarmSounds sounds;

    Parts(Context& ctx, Settings& settings, Runtime& r)
        : runtime(r),
          uploadLog(ctx.err),
          publisher(&uploadLog),
          outbox(LoadMailSettings(settings), r.GetClock()),
          sounds(settings, r.GetClock(), [](const std::string& problem) {
              // Shown by the refresh cycle on standard error, and kept in error.txt.
              ReportError(nullptr, problem);
              PostNotice(nullptr, problem);
          }) {}
};

ServiceOutputs::ServiceOutputs(Context& ctx, Settings& settings, Runtime& runtime)
    : parts_(std::make_unique<Parts>(ctx, settings, runtime)) {
    runtime.SetMailSender(&parts_->outbox);
    const FtpTarget target = LoadFtpSettings(settings).Target();
    FtpPublisher& publisher = parts_->publisher;
    runtime.Web().SetUploadHook([&publisher, target](const std::string& file) { publisher.Submit(file, target); });
    // Sound only when an alarm asks for it: a headless machine without a sound card is told of
    // its missing input once, when a recording is first asked for, and acquisition goes on.
    AlarmSounds& sounds = parts_->sounds;
    if (AnyAlarmRecords(runtime.Stations())) {
        runtime.SetSoundRecorder(&sounds.EnableRecording());
    }
    if (AnyAlarmSpoken(runtime.Stations(), sounds.Spoken())) {
        AlarmSpeech& speech = sounds.EnableSpeech();
        runtime.SetAlarmTriggerHook([&speech](WeatherStation& station, const Alarm& alarm) {
            speech.OnAlarmTriggered(station, alarm);
        });
    }
}

ServiceOutputs::~ServiceOutputs() {
    parts_->runtime.Web().SetUploadHook({});
    parts_->runtime.SetMailSender(nullptr);
    parts_->runtime.SetSoundRecorder(nullptr);
    parts_->runtime.SetAlarmTriggerHook({});
    // The last page still going up is given a few seconds; the publisher's destructor aborts the rest.
    parts_->publisher.WaitIdleFor(std::chrono::seconds(5));
}

}  // namespace svu::cli
