#include "outputs/MqttPublisher.h"

#include <mosquitto.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "framework/TextUtil.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr auto kConnectTimeout = std::chrono::seconds(15);
constexpr auto kGoodbyeTimeout = std::chrono::seconds(2);
constexpr int kIdlePollMs = 1000;
constexpr const char* kOnline = "online";
constexpr const char* kOffline = "offline";

std::string LibraryError(int rc) {
    return rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno)) : std::string(mosquitto_strerror(rc));
}

}  // namespace

MqttPublisher::MqttPublisher(MqttSettings settings) : settings_(std::move(settings)) {}

MqttPublisher::~MqttPublisher() {
    Stop();
}

bool MqttPublisher::Start(std::vector<std::string>& problems) {
    Stop();
    const auto fail = [&](const std::string& why) {
        problems.push_back("MQTT: " + why);
        Stop();
        return false;
    };
    if (settings_.prefix.empty() || settings_.prefix.find_first_of("+#") != std::string::npos) {
        return fail("the topic prefix \"" + settings_.prefix + "\" cannot be used: it must not be empty or hold + or #.");
    }
    if (settings_.port < 1 || settings_.port > 65535) {
        return fail(FormatC("%d is not a TCP port (1 to 65535).", settings_.port));
    }
    static std::once_flag libraryReady;
    std::call_once(libraryReady, [] { mosquitto_lib_init(); });
    mosq_ = mosquitto_new(settings_.clientId.empty() ? nullptr : settings_.clientId.c_str(), true, this);
    if (mosq_ == nullptr) {
        return fail("cannot create a client: " + std::string(std::strerror(errno)));
    }
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq_, &MqttPublisher::OnConnect);
    if (!settings_.user.empty()) {
        mosquitto_username_pw_set(mosq_, settings_.user.c_str(),
                                  settings_.password.empty() ? nullptr : settings_.password.c_str());
    }
    if (settings_.tls != 0) {
        const bool own = !settings_.caFile.empty();
        const int rc = mosquitto_tls_set(mosq_, own ? settings_.caFile.c_str() : nullptr, own ? nullptr : "/etc/ssl/certs",
                                         nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            return fail("cannot use the certificate authorities " +
                        (own ? settings_.caFile : std::string("of /etc/ssl/certs")) + ": " + LibraryError(rc));
        }
    }
    const std::string status = MqttStatusTopic(settings_);
    mosquitto_will_set(mosq_, status.c_str(), static_cast<int>(std::strlen(kOffline)), kOffline, 1, true);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        return fail("cannot create the publisher's wake-up event: " + std::string(std::strerror(errno)));
    }
    stop_.store(false);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void MqttPublisher::Stop() {
    if (thread_.joinable()) {
        stop_.store(true);
        Wake();
        thread_.join();
    }
    if (mosq_ != nullptr) {
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
    connected_.store(false);
}

void MqttPublisher::Wake() {
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
}

// ---- The runtime's side: copy and wake, nothing more ----

void MqttPublisher::OnReading(const WeatherStation& station) {
    bool wake = false;
    {
        std::lock_guard guard(mutex_);
        for (std::size_t i = 0; i < stations_.size(); ++i) {
            if (stations_[i].key != &station) {
                continue;
            }
            Pending& p = pending_[i];
            p.time = station.readingTime;
            p.values.resize(station.values.size());
            for (std::size_t c = 0; c < station.values.size(); ++c) {
                p.values[c] = station.values[c];  // reuses the copy's storage
            }
            if (!p.waiting) {
                p.waiting = true;
                pendingOrder_.push_back(static_cast<int>(i));
                wake = true;
            }
            break;
        }
    }
    if (wake) {
        Wake();
    }
}

void MqttPublisher::OnStationsChanged(const StationList& stations, StationsChange why) {
    std::vector<MqttStation> fresh;
    fresh.reserve(stations.size());
    for (const auto& station : stations) {
        fresh.push_back(MqttStation::From(*station));
    }
    {
        std::lock_guard guard(mutex_);
        stations_ = std::move(fresh);
        pending_.assign(stations_.size(), Pending{});
        pendingOrder_.clear();
        stationsChanged_ = true;
    }
    Wake();
}

// ---- The publishing thread ----

void MqttPublisher::Run() {
    while (!stop_.load()) {
        const auto now = std::chrono::steady_clock::now();
        if (!connected_.load() && !connecting_ && now >= nextAttempt_) {
            Connect();
        } else if (connecting_ && now - connectStarted_ > kConnectTimeout) {
            ConnectionLost("no answer");
        }
        int timeout = kIdlePollMs;
        if (!connected_.load() && !connecting_) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextAttempt_ - now).count();
            timeout = static_cast<int>(std::clamp<long long>(wait, 0, kIdlePollMs));
        }
        ServiceSocket(timeout);
        if (connected_.load()) {
            bool changed = false;
            {
                std::lock_guard guard(mutex_);
                changed = stationsChanged_;
            }
            if (announce_ || changed) {
                PublishAll();
            }
            PublishReadings();
        }
    }
    if (connected_.load()) {
        // A clean disconnect does not set off the last will: say it ourselves, then let it go out.
        Publish({MqttStatusTopic(settings_), kOffline, true}, 1);
        mosquitto_disconnect(mosq_);
        const auto until = std::chrono::steady_clock::now() + kGoodbyeTimeout;
        while (mosquitto_want_write(mosq_) && std::chrono::steady_clock::now() < until) {
            pollfd fd{mosquitto_socket(mosq_), POLLOUT, 0};
            if (fd.fd < 0 || ::poll(&fd, 1, 100) < 0 || mosquitto_loop_write(mosq_, 1) != MOSQ_ERR_SUCCESS) {
                break;
            }
        }
        connected_.store(false);
    }
}

bool MqttPublisher::Connect() {
    connectStarted_ = std::chrono::steady_clock::now();
    const int rc = mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port, kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        ConnectionLost(LibraryError(rc));
        return false;
    }
    connecting_ = true;
    return true;
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
    auto* p = static_cast<MqttPublisher*>(self);
    if (rc != 0) {
        p->ConnectionLost(std::string("refused: ") + mosquitto_connack_string(rc));
        return;
    }
    p->connecting_ = false;
    p->announce_ = true;
    p->retryPause_ = kFirstRetry;
    if (p->outageReported_) {
        p->outageReported_ = false;
        ReportError(nullptr, FormatC("MQTT: connected to the broker at %s:%d again", p->settings_.host.c_str(),
                                     p->settings_.port));
    }
    // Set last: whoever sees the connection also sees the report of its return.
    p->connected_.store(true);
}

void MqttPublisher::ConnectionLost(const std::string& why) {
    connected_.store(false);
    connecting_ = false;
    if (!outageReported_) {
        outageReported_ = true;
        ReportError(nullptr, FormatC("MQTT: cannot reach the broker at %s:%d (%s); trying again in the background",
                                     settings_.host.c_str(), settings_.port, why.c_str()));
    }
    nextAttempt_ = std::chrono::steady_clock::now() + retryPause_;
    retryPause_ = std::min(retryPause_ * 2, kLongestRetry);
}

void MqttPublisher::ServiceSocket(int timeoutMs) {
    const int sock = mosquitto_socket(mosq_);
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {sock, POLLIN, 0}};
    if (sock >= 0 && mosquitto_want_write(mosq_)) {
        fds[1].events |= POLLOUT;
    }
    const nfds_t count = sock >= 0 ? 2 : 1;
    if (::poll(fds, count, timeoutMs) < 0) {
        return;
    }
    if (fds[0].revents & POLLIN) {
        uint64_t n = 0;
        [[maybe_unused]] const ssize_t r = ::read(wakeFd_, &n, sizeof n);
    }
    if (sock < 0) {
        return;
    }
    const bool live = connected_.load() || connecting_;
    int rc = MOSQ_ERR_SUCCESS;
    if (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) {
        rc = mosquitto_loop_read(mosq_, 1);
    }
    if (rc == MOSQ_ERR_SUCCESS && (fds[1].revents & POLLOUT)) {
        rc = mosquitto_loop_write(mosq_, 1);
    }
    if (rc == MOSQ_ERR_SUCCESS) {
        rc = mosquitto_loop_misc(mosq_);  // keep-alive pings
    }
    if (rc != MOSQ_ERR_SUCCESS && live && (connected_.load() || connecting_)) {
        ConnectionLost(rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_NO_CONN ? "connection lost" : LibraryError(rc));
    }
}

bool MqttPublisher::Publish(const MqttMessage& message, int qos) {
    const int rc = mosquitto_publish(mosq_, nullptr, message.topic.c_str(), static_cast<int>(message.payload.size()),
                                     message.payload.data(), qos, message.retain);
    if (rc != MOSQ_ERR_SUCCESS) {
        return false;
    }
    sent_.fetch_add(1);
    if (message.retain) {
        if (message.payload.empty()) {
            retained_.erase(message.topic);
        } else {
            retained_.insert(message.topic);
        }
    }
    return true;
}

void MqttPublisher::PublishAll() {
    {
        std::lock_guard guard(mutex_);
        published_ = stations_;
        stationsChanged_ = false;
    }
    announce_ = false;
    const std::string status = MqttStatusTopic(settings_);
    Publish({status, kOnline, true}, 1);
    std::vector<MqttMessage> messages;
    std::set<std::string> current{status};
    for (const MqttStation& station : published_) {
        if (settings_.homeAssistant != 0) {
            AppendDiscoveryMessages(settings_, station, messages);
        }
        current.insert(MqttStationTopic(settings_, station));
        for (std::size_t c = 0; c < station.channelNames.size(); ++c) {
            current.insert(MqttChannelTopic(settings_, station, c));
        }
    }
    for (const MqttMessage& m : messages) {
        current.insert(m.topic);
        Publish(m);
    }
    // Topics of stations and channels that no longer exist (renamed, deleted) are cleared, so
    // neither subscribers nor Home Assistant keep showing them.
    std::vector<std::string> stale;
    std::set_difference(retained_.begin(), retained_.end(), current.begin(), current.end(), std::back_inserter(stale));
    for (const std::string& topic : stale) {
        Publish({topic, "", true});
    }
}

void MqttPublisher::PublishReadings() {
    std::vector<MqttMessage> messages;
    std::vector<std::string> values;
    while (!stop_.load() && !mosquitto_want_write(mosq_)) {
        MqttStation station;
        TimeT time = 0;
        {
            std::lock_guard guard(mutex_);
            if (pendingOrder_.empty() || stationsChanged_) {
                return;
            }
            const auto index = static_cast<std::size_t>(pendingOrder_.front());
            pendingOrder_.erase(pendingOrder_.begin());
            Pending& p = pending_[index];
            p.waiting = false;
            values.swap(p.values);
            time = p.time;
            station = stations_[index];
        }
        messages.clear();
        AppendReadingMessages(settings_, station, time, values, messages);
        for (const MqttMessage& m : messages) {
            Publish(m);
        }
    }
}

}  // namespace svu
