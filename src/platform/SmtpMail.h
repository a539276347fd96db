#pragma once

// Alarm e-mail by SMTP with libcurl: the server settings, the message text and one blocking send.

#include <string>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

/// The "Mail" settings section.
struct MailSettings {
    enum class Security { None, StartTls, Tls };
    std::string server;
    int port = 0;  // 0: the usual port of the security (25, 587 or 465)
    Security security = Security::None;
    std::string user;  // empty: no log-in
    std::string password;
    std::string from;

    bool Configured() const { return !server.empty() && !from.empty(); }
    int EffectivePort() const;
};

/// "None", "STARTTLS" or "TLS" (any case); None for anything else.
MailSettings::Security ParseMailSecurity(const std::string& text);
const char* MailSecurityName(MailSettings::Security security);

/// One message: recipient lists as the alarm built them ("a@b", "Name <a@b>" or a bare name).
struct MailMessage {
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<std::string> bcc;
    std::string subject;
    std::string body;
};

/// The address part of a recipient ("Name <a@b>" gives "a@b"; anything else as it stands, trimmed).
std::string MailAddressOf(const std::string& recipient);

/// The message as sent: headers (From, To, Cc, Subject, Date, Message-ID, MIME) and the body with CR
/// LF line ends. Bcc recipients appear in no header. Header texts outside ASCII are encoded words;
/// line breaks in the subject are removed so that no header can be planted.
std::string BuildMailText(const MailSettings& settings, const MailMessage& message, TimeT now,
                          const std::string& messageId);

/// Sends one message; blocks (bounded by connection and transfer time-outs). Empty on success,
/// otherwise what went wrong.
std::string SendMailMessage(const MailSettings& settings, const MailMessage& message, TimeT now);

}  // namespace svu
