#include "outputs/MailOutbox.h"

#include <algorithm>

#include "framework/Clock.h"
#include "framework/Settings.h"
#include "stations/StationReports.h"

namespace svu {

namespace {
constexpr const char* kSection = "Mail";
}

MailSettings LoadMailSettings(const Settings& settings) {
    MailSettings m;
    m.server = settings.GetSettingString(kSection, "Server", "");
    m.port = settings.GetSettingInt(kSection, "Port", 0);
    m.security = ParseMailSecurity(settings.GetSettingString(kSection, "TLS", "None"));
    m.user = settings.GetSettingString(kSection, "User", "");
    m.password = settings.GetSettingString(kSection, "Password", "");
    m.from = settings.GetSettingString(kSection, "From", "");
    return m;
}

bool SaveMailSettings(Settings& settings, const MailSettings& m) {
    return settings.WriteSettingString(kSection, "Server", m.server) && settings.WriteSettingInt(kSection, "Port", m.port) &&
           settings.WriteSettingString(kSection, "TLS", MailSecurityName(m.security)) &&
           settings.WriteSettingString(kSection, "User", m.user) &&
           settings.WriteSettingString(kSection, "Password", m.password) &&
           settings.WriteSettingString(kSection, "From", m.from);
}

MailOutbox::MailOutbox(MailSettings settings, Clock& clock, Transport transport)
    : settings_(std::move(settings)), clock_(clock), transport_(std::move(transport)) {}

MailOutbox::~MailOutbox() {
    std::list<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        threads.swap(threads_);
    }
    for (std::thread& t : threads) {
        t.join();
    }
}

void MailOutbox::Reap() {
    // Joins the threads that have finished (called with the mutex held).
    for (auto it = threads_.begin(); it != threads_.end();) {
        const auto done = std::find(finished_.begin(), finished_.end(), it->get_id());
        if (done != finished_.end()) {
            it->join();
            finished_.erase(done);
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

void MailOutbox::SetSettings(MailSettings settings) {
    std::lock_guard lock(mutex_);
    settings_ = std::move(settings);
    reportedUnconfigured_ = false;
}

void MailOutbox::Send(MailRequest request) {
    std::lock_guard lock(mutex_);
    if (!settings_.Configured()) {
        if (!reportedUnconfigured_.exchange(true)) {
            ReportError(nullptr, "An alarm e-mail was not sent: no mail server and sender address are set "
                                 "(the \"Mail\" settings)");
        }
        failed_++;
        return;
    }
    Reap();
    if (inFlight_.load() >= kMaxInFlight) {
        ReportError(nullptr, "An alarm e-mail was not sent: too many messages are still waiting for the mail server");
        failed_++;
        return;
    }
    MailMessage message;
    message.to = std::move(request.recipients);
    message.subject = std::move(request.subject);
    message.body = std::move(request.body);
    const TimeT now = clock_.Now();
    inFlight_++;
    threads_.emplace_back([this, message = std::move(message), now, settings = settings_] {
        const std::string error = transport_(settings, message, now);
        if (error.empty()) {
            sent_++;
        } else {
            failed_++;
            ReportError(nullptr, "An alarm e-mail to " + std::to_string(message.to.size()) +
                                     " recipient(s) could not be sent through " + settings.server + ": " + error);
        }
        std::lock_guard lock(mutex_);
        finished_.push_back(std::this_thread::get_id());
        inFlight_--;
    });
}

void MailOutbox::WaitIdle() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            Reap();
            if (threads_.empty()) {
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace svu
