#pragma once

#include <string>
#include <vector>

namespace svu {

/// An e-mail an alarm asks to be sent.
struct MailRequest {
    std::vector<std::string> recipients;
    std::string subject;
    std::string body;
};

/// Sends alarm e-mails. Send returns at once: the message goes out on a thread of the sender's own,
/// which keeps its own copy of the request.
class MailSender {
public:
    virtual ~MailSender() = default;
    /// Starts sending; failures are the sender's to report.
    virtual void Send(MailRequest request) = 0;
};

/// A sound recording an alarm asks for, with that alarm's recording settings.
struct RecordingRequest {
    std::string stationName;
    std::string alarmName;
    std::string folder;
    int lengthSeconds = 10;
    int samplesPerSecond = 8000;
    int bitsPerSample = 8;
};

/// Records sound on request; Record returns at once. A recording asked for while one runs
/// extends it instead.
class Recorder {
public:
    virtual ~Recorder() = default;
    virtual void Record(const RecordingRequest& request) = 0;
    /// Ends a recording whose time is up (the refresh cycle calls it; any thread may).
    virtual void Poll() {}
    /// Acquisition stops: a running recording ends at once and is not catalogued.
    virtual void Abandon() {}
};

}  // namespace svu
