#include "platform/SmtpMail.h"

#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <memory>

#include "platform/CurlGlobal.h"

namespace svu {

namespace {

std::string Trimmed(const std::string& text) {
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    auto begin = std::find_if(text.begin(), text.end(), notSpace);
    auto end = std::find_if(text.rbegin(), text.rend(), notSpace).base();
    return begin < end ? std::string(begin, end) : std::string();
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string WithoutLineBreaks(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return out;
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Base64(const std::string& data) {
    static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(data[i]) << 16) | (static_cast<unsigned char>(data[i + 1]) << 8) |
                           static_cast<unsigned char>(data[i + 2]);
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63], kDigits[v & 63]};
    }
    if (i + 1 == data.size()) {
        const unsigned v = static_cast<unsigned char>(data[i]) << 16;
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], '=', '='};
    } else if (i + 2 == data.size()) {
        const unsigned v = (static_cast<unsigned char>(data[i]) << 16) | (static_cast<unsigned char>(data[i + 1]) << 8);
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63], '='};
    }
    return out;
}

// A header text as it may stand in a header: plain ASCII as it is, anything else as an encoded word.
std::string HeaderText(const std::string& text) {
    const std::string flat = WithoutLineBreaks(text);
    return IsAscii(flat) ? flat : "=?UTF-8?B?" + Base64(flat) + "?=";
}

std::string JoinRecipients(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& r : list) {
        const std::string address = MailAddressOf(r);
        if (address.empty()) {
            continue;
        }
        out += out.empty() ? "" : ", ";
        out += "<" + address + ">";
    }
    return out;
}

std::string RfcDate(TimeT now) {
    const std::time_t t = static_cast<std::time_t>(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long offset = tm.tm_gmtoff / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[tm.tm_wday], tm.tm_mday,
                  kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec, offset < 0 ? '-' : '+',
                  std::labs(offset) / 60, std::labs(offset) % 60);
    return text;
}

struct Upload {
    std::string text;
    size_t offset = 0;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* user) {
    auto& u = *static_cast<Upload*>(user);
    const size_t n = std::min(size * count, u.text.size() - u.offset);
    std::memcpy(buffer, u.text.data() + u.offset, n);
    u.offset += n;
    return n;
}

}  // namespace

int MailSettings::EffectivePort() const {
    if (port > 0) {
        return port;
    }
    switch (security) {
        case Security::StartTls:
            return 587;
        case Security::Tls:
            return 465;
        default:
            return 25;
    }
}

MailSettings::Security ParseMailSecurity(const std::string& text) {
    const std::string t = Upper(Trimmed(text));
    if (t == "STARTTLS") {
        return MailSettings::Security::StartTls;
    }
    if (t == "TLS" || t == "SSL") {
        return MailSettings::Security::Tls;
    }
    return MailSettings::Security::None;
}

const char* MailSecurityName(MailSettings::Security security) {
    switch (security) {
        case MailSettings::Security::StartTls:
            return "STARTTLS";
        case MailSettings::Security::Tls:
            return "TLS";
        default:
            return "None";
    }
}

std::string MailAddressOf(const std::string& recipient) {
    const std::string r = Trimmed(recipient);
    if (r.find_first_of("\r\n") != std::string::npos) {
        return {};  // nothing that could end an SMTP command line or a header may pass
    }
    const size_t open = r.rfind('<');
    const size_t close = r.rfind('>');
    if (open != std::string::npos && close != std::string::npos && close > open) {
        return Trimmed(r.substr(open + 1, close - open - 1));
    }
    return r.find_first_of("<>") == std::string::npos ? r : std::string();
}

std::string BuildMailText(const MailSettings& settings, const MailMessage& message, TimeT now,
                          const std::string& messageId) {
    std::string text;
    text += "Date: " + RfcDate(now) + "\r\n";
    text += "From: <" + MailAddressOf(settings.from) + ">\r\n";
    const std::string to = JoinRecipients(message.to);
    text += "To: " + (to.empty() ? std::string("undisclosed-recipients:;") : to) + "\r\n";
    const std::string cc = JoinRecipients(message.cc);
    if (!cc.empty()) {
        text += "Cc: " + cc + "\r\n";
    }
    text += "Subject: " + HeaderText(message.subject) + "\r\n";
    text += "Message-ID: <" + messageId + ">\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=UTF-8\r\n";
    text += "Content-Transfer-Encoding: 8bit\r\n";
    text += "\r\n";
    // Body lines end CR LF whatever they ended with.
    for (size_t i = 0; i < message.body.size(); ++i) {
        const char c = message.body[i];
        if (c == '\r') {
            if (i + 1 < message.body.size() && message.body[i + 1] == '\n') {
                ++i;
            }
            text += "\r\n";
        } else if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) {
        text += "\r\n";
    }
    return text;
}

std::string SendMailMessage(const MailSettings& settings, const MailMessage& message, TimeT now) {
    if (!settings.Configured()) {
        return "no mail server or sender address is set";
    }
    std::vector<std::string> recipients;
    for (const auto* list : {&message.to, &message.cc, &message.bcc}) {
        for (const std::string& r : *list) {
            const std::string address = MailAddressOf(r);
            if (!address.empty()) {
                recipients.push_back(address);
            }
        }
    }
    if (recipients.empty()) {
        return "the message has no recipient";
    }
    EnsureCurlInitialised();
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        return "the mail library could not start";
    }
    CURL* c = curl.get();
    const bool implicitTls = settings.security == MailSettings::Security::Tls;
    const std::string url = std::string(implicitTls ? "smtps://" : "smtp://") + settings.server + ":" +
                            std::to_string(settings.EffectivePort());
    curl_slist* rcpt = nullptr;
    for (const std::string& r : recipients) {
        rcpt = curl_slist_append(rcpt, ("<" + r + ">").c_str());
    }
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> rcptList(rcpt, curl_slist_free_all);
    char host[256] = "stratavue";
    gethostname(host, sizeof host - 1);
    const std::string messageId = std::to_string(now) + "." + std::to_string(reinterpret_cast<uintptr_t>(&message)) +
                                  "@" + host;
    Upload upload{BuildMailText(settings, message, now, messageId)};
    char errorText[CURL_ERROR_SIZE] = {};
    const std::string from = "<" + MailAddressOf(settings.from) + ">";

    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcptList.get());
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 60L);
    if (settings.security == MailSettings::Security::StartTls) {
        curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    }
    if (!settings.user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, settings.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, settings.password.c_str());
    }
    const CURLcode code = curl_easy_perform(c);
    if (code == CURLE_OK) {
        return {};
    }
    return errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
}

}  // namespace svu
