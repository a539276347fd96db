#pragma once

// Uploads each new web page by FTP on a thread of its own, so that neither the refresh cycle nor a
// station ever waits for the network. One upload runs at a time; a page made while one is going up
// waits as the single next upload (a newer page replaces it), so pages are never queued twice and a
// slow server costs only the pages in between.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/FtpUpload.h"

namespace svu {

class Settings;

/// The FTP keys of the "WebOutput" section.
struct FtpSettings {
    int ftp = 0;
    std::string server;
    std::string remoteFile;
    std::string user;
    std::string password;
    int preConfig = 1;
    int useProxy = 0;
    std::string proxy;

    /// The upload target these settings describe (the proxy only when asked for).
    FtpTarget Target() const;
};

FtpSettings LoadFtpSettings(const Settings& settings);
bool SaveFtpSettings(Settings& settings, const FtpSettings& ftp);

/// Told about each upload, on the uploading thread.
class FtpUploadListener {
public:
    virtual ~FtpUploadListener() = default;
    virtual void OnUploadStarted(const std::string& localFile, const FtpTarget& target) {}
    virtual void OnUploadProgress(const FtpProgress& progress) {}
    virtual void OnUploadFinished(const FtpTarget& target, const FtpResult& result) {}
};

class FtpPublisher {
public:
    /// `listener` may be nullptr; it must outlive the publisher.
    explicit FtpPublisher(FtpUploadListener* listener = nullptr);
    ~FtpPublisher();
    FtpPublisher(const FtpPublisher&) = delete;
    FtpPublisher& operator=(const FtpPublisher&) = delete;

    /// Asks for `localFile` to be uploaded to `target`; returns at once.
    void Submit(const std::string& localFile, const FtpTarget& target);
    /// Asks the running upload to stop at its next block (the waiting one is dropped too).
    void Cancel();
    /// True while an upload runs or waits.
    bool Busy() const;
    /// Waits until nothing runs or waits (tests and shut-down).
    void WaitIdle();
    /// The same for at most `limit`; false when an upload still runs then.
    bool WaitIdleFor(std::chrono::milliseconds limit);

    /// Uploads done, and uploads failed or aborted, so far.
    int Completed() const { return completed_.load(); }
    int Failed() const { return failed_.load(); }

private:
    struct Job {
        std::string localFile;
        FtpTarget target;
    };
    void Run();

    FtpUploadListener* listener_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> pending_;
    bool running_ = false;
    bool quit_ = false;
    std::atomic<bool> abort_{false};
    std::atomic<int> completed_{0};
    std::atomic<int> failed_{0};
    std::thread thread_;
};

}  // namespace svu
