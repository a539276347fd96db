#include "outputs/FtpPublisher.h"

#include "framework/Settings.h"

namespace svu {

namespace {
constexpr const char* kSection = "WebOutput";
}

FtpTarget FtpSettings::Target() const {
    FtpTarget t;
    t.server = server;
    t.remoteFile = remoteFile;
    t.user = user;
    t.password = user.empty() ? std::string() : password;
    if (preConfig == 0 && useProxy != 0) {
        t.proxy = proxy;
    }
    return t;
}

FtpSettings LoadFtpSettings(const Settings& settings) {
    FtpSettings f;
    f.ftp = settings.GetSettingInt(kSection, "FTP", 0);
    f.server = settings.GetSettingString(kSection, "Server", "");
    f.remoteFile = settings.GetSettingString(kSection, "RemoteFilename", "");
    f.user = settings.GetSettingString(kSection, "Username", "");
    f.password = settings.GetSettingString(kSection, "Password", "");
    f.preConfig = settings.GetSettingInt(kSection, "PreConfig", 1);
    f.useProxy = settings.GetSettingInt(kSection, "UseProxy", 0);
    f.proxy = settings.GetSettingString(kSection, "Proxy", "");
    return f;
}

bool SaveFtpSettings(Settings& settings, const FtpSettings& f) {
    return settings.WriteSettingInt(kSection, "FTP", f.ftp) && settings.WriteSettingString(kSection, "Server", f.server) &&
           settings.WriteSettingString(kSection, "RemoteFilename", f.remoteFile) &&
           settings.WriteSettingString(kSection, "Username", f.user) &&
           settings.WriteSettingString(kSection, "Password", f.password) &&
           settings.WriteSettingInt(kSection, "PreConfig", f.preConfig) &&
           settings.WriteSettingInt(kSection, "UseProxy", f.useProxy) &&
           settings.WriteSettingString(kSection, "Proxy", f.proxy);
}

FtpPublisher::FtpPublisher(FtpUploadListener* listener) : listener_(listener), thread_([this] { Run(); }) {}

FtpPublisher::~FtpPublisher() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        pending_.reset();
    }
    abort_ = true;
    wake_.notify_all();
    thread_.join();
}

void FtpPublisher::Submit(const std::string& localFile, const FtpTarget& target) {
    {
        std::lock_guard lock(mutex_);
        pending_ = Job{localFile, target};
    }
    wake_.notify_all();
}

void FtpPublisher::Cancel() {
    std::lock_guard lock(mutex_);
    pending_.reset();
    if (running_) {
        abort_ = true;
    }
}

bool FtpPublisher::Busy() const {
    std::lock_guard lock(mutex_);
    return running_ || pending_.has_value();
}

void FtpPublisher::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !running_ && !pending_.has_value(); });
}

bool FtpPublisher::WaitIdleFor(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, limit, [this] { return !running_ && !pending_.has_value(); });
}

void FtpPublisher::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || pending_.has_value(); });
            if (quit_) {
                return;
            }
            job = std::move(*pending_);
            pending_.reset();
            running_ = true;
            abort_ = false;
        }
        if (listener_ != nullptr) {
            listener_->OnUploadStarted(job.localFile, job.target);
        }
        const FtpResult result = UploadFile(job.localFile, job.target, abort_, [this](const FtpProgress& p) {
            if (listener_ != nullptr) {
                listener_->OnUploadProgress(p);
            }
        });
        (result.outcome == FtpResult::Outcome::Done ? completed_ : failed_)++;
        if (listener_ != nullptr) {
            listener_->OnUploadFinished(job.target, result);
        }
        {
            std::lock_guard lock(mutex_);
            running_ = false;
        }
        idle_.notify_all();
    }
}

}  // namespace svu
