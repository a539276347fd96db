#include <gtest/gtest.h>

#include "framework/LocalTime.h"
#include "platform/FtpUpload.h"
#include "platform/SmtpMail.h"

namespace svu {
namespace {

TEST(FtpServerTest, HostPortAndScheme) {
    FtpServer s;
    std::string error;
    ASSERT_TRUE(ParseFtpServer("ftp.example.org", s, error));
    EXPECT_EQ(s.host, "ftp.example.org");
    EXPECT_EQ(s.port, 21);
    EXPECT_EQ(s.scheme, FtpServer::Scheme::Ftp);
    ASSERT_TRUE(ParseFtpServer("127.0.0.1:2121", s, error));
    EXPECT_EQ(s.host, "127.0.0.1");
    EXPECT_EQ(s.port, 2121);
    ASSERT_TRUE(ParseFtpServer("SFTP://web.example.org/", s, error));
    EXPECT_EQ(s.scheme, FtpServer::Scheme::Sftp);
    EXPECT_EQ(s.port, 22);
    ASSERT_TRUE(ParseFtpServer("ftps://[::1]:990", s, error));
    EXPECT_EQ(s.scheme, FtpServer::Scheme::Ftps);
    EXPECT_EQ(s.host, "[::1]");
    EXPECT_EQ(s.port, 990);
    for (const char* bad : {"", "host:", "host:0", "host:70000", "host:21x", "ftp://", "a b", "[::1"}) {
        EXPECT_FALSE(ParseFtpServer(bad, s, error)) << bad;
    }
}

TEST(FtpServerTest, UrlsAndTemporaryNames) {
    FtpServer ftp{FtpServer::Scheme::Ftp, "h", 21};
    EXPECT_EQ(FtpUrl(ftp, "www/index.html"), "ftp://h:21/www/index.html");
    EXPECT_EQ(FtpUrl(ftp, "/srv/index.html"), "ftp://h:21/%2Fsrv/index.html");
    FtpServer sftp{FtpServer::Scheme::Sftp, "h", 22};
    EXPECT_EQ(FtpUrl(sftp, "index.html"), "sftp://h:22/~/index.html");
    EXPECT_EQ(FtpUrl(sftp, "/srv/index.html"), "sftp://h:22/srv/index.html");
    EXPECT_EQ(FtpTemporaryName("www/index.html"), "www/.index.html.uploading");
    EXPECT_EQ(FtpTemporaryName("index.html"), ".index.html.uploading");
}

TEST(MailTextTest, HeadersRecipientsAndLineEnds) {
    MailSettings settings;
    settings.from = "Station PC <station@example.org>";
    MailMessage m;
    m.to = {"ops@example.org", "Duty Forecaster <duty@example.org>"};
    m.cc = {"chief@example.org"};
    m.bcc = {"archive@example.org"};
    m.subject = "Alarm at Hilltop\r\nBcc: victim@example.org";
    m.body = "Line one\nLine two\r\nLine three";
    const std::string text = BuildMailText(settings, m, FromLocal(2026, 6, 1, 0, 5, 0), "1@pc");
    EXPECT_NE(text.find("From: <station@example.org>\r\n"), std::string::npos);
    EXPECT_NE(text.find("To: <ops@example.org>, <duty@example.org>\r\n"), std::string::npos);
    EXPECT_NE(text.find("Cc: <chief@example.org>\r\n"), std::string::npos);
    EXPECT_EQ(text.find("archive@example.org"), std::string::npos);  // blind copies stay blind
    EXPECT_NE(text.find("Subject: Alarm at Hilltop  Bcc: victim@example.org\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos);
    EXPECT_NE(text.find("Date: Mon, 01 Jun 2026 00:05:00 +0100\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\r\nLine one\r\nLine two\r\nLine three\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\n\n"), std::string::npos);

    m.subject = "Température élevée";
    const std::string encoded = BuildMailText(settings, m, 0, "2@pc");
    EXPECT_NE(encoded.find("Subject: =?UTF-8?B?VGVtcMOpcmF0dXJlIMOpbGV2w6ll?=\r\n"), std::string::npos);
}

TEST(MailTextTest, AddressesAndSecurity) {
    EXPECT_EQ(MailAddressOf("  a@b.org "), "a@b.org");
    EXPECT_EQ(MailAddressOf("Name <a@b.org>"), "a@b.org");
    EXPECT_EQ(MailAddressOf("a@b.org\r\nRCPT TO:<x@y>"), "");
    EXPECT_EQ(ParseMailSecurity("starttls"), MailSettings::Security::StartTls);
    EXPECT_EQ(ParseMailSecurity("TLS"), MailSettings::Security::Tls);
    EXPECT_EQ(ParseMailSecurity("whatever"), MailSettings::Security::None);
    MailSettings s;
    EXPECT_EQ(s.EffectivePort(), 25);
    s.security = MailSettings::Security::StartTls;
    EXPECT_EQ(s.EffectivePort(), 587);
    s.port = 2525;
    EXPECT_EQ(s.EffectivePort(), 2525);
}

}  // namespace
}  // namespace svu
