#pragma once

// Alarm e-mail: each message goes out on a short-lived thread of its own with its own copy of the
// texts, so a slow or dead mail server never holds a station thread. Failures are reported through
// error.txt (and so to the person at the program), not dropped.

#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

#include "platform/SmtpMail.h"
#include "stations/Notifications.h"

namespace svu {

class Clock;
class Settings;

MailSettings LoadMailSettings(const Settings& settings);
bool SaveMailSettings(Settings& settings, const MailSettings& mail);

class MailOutbox : public MailSender {
public:
    using Transport = std::function<std::string(const MailSettings&, const MailMessage&, TimeT)>;

    /// `transport` sends one message (SendMailMessage unless a test gives another).
    MailOutbox(MailSettings settings, Clock& clock, Transport transport = SendMailMessage);
    /// Waits for the messages still going out (each is bounded by its time-outs).
    ~MailOutbox() override;

    void Send(MailRequest request) override;
    /// New server settings for the messages sent from now on (those going out keep theirs).
    void SetSettings(MailSettings settings);

    /// Waits until every message handed over so far has been sent or has failed.
    void WaitIdle();
    int Sent() const { return sent_.load(); }
    int FailedCount() const { return failed_.load(); }

    /// Most messages going out at once; more are reported and dropped.
    static constexpr int kMaxInFlight = 16;

private:
    void Reap();

    MailSettings settings_;
    Clock& clock_;
    Transport transport_;
    std::mutex mutex_;
    std::list<std::thread> threads_;
    std::list<std::thread::id> finished_;
    std::atomic<int> inFlight_{0};
    std::atomic<int> sent_{0};
    std::atomic<int> failed_{0};
    std::atomic<bool> reportedUnconfigured_{false};
};

}  // namespace svu
