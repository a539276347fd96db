#include <gtest/gtest.h>

#include "outputs/WebRequestParsing.h"

namespace svu {
namespace {

TEST(WebRequestParsing, AddressesAndLoopback) {
    auto e = ParseHttpEndpoint("0.0.0.0:8081");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->address, "0.0.0.0");
    EXPECT_EQ(e->port, 8081);
    e = ParseHttpEndpoint("9000");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->address, "127.0.0.1");
    e = ParseHttpEndpoint("[::1]:80");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->address, "::1");
    std::string error;
    for (const char* bad : {"", ":80", "host:", "host:65536", "host:8o", "::1:80", "[::1]80", "a b:80", "host"}) {
        EXPECT_FALSE(ParseHttpEndpoint(bad, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    for (const char* loop : {"127.0.0.1", "127.8.9.10", "localhost", "LocalHost", "::1", "[::1]", "::ffff:127.0.0.1"}) {
        EXPECT_TRUE(IsLoopbackAddress(loop)) << loop;
    }
    for (const char* open : {"0.0.0.0", "::", "192.168.1.5", "128.0.0.1", "127.0.0.1.evil", "localhost.example", ""}) {
        EXPECT_FALSE(IsLoopbackAddress(open)) << open;
    }
}

TEST(WebRequestParsing, TokensAndBearerHeaders) {
    EXPECT_TRUE(TokensMatch("abc123", "abc123"));
    EXPECT_FALSE(TokensMatch("abc124", "abc123"));
    EXPECT_FALSE(TokensMatch("abc", "abc123"));
    EXPECT_FALSE(TokensMatch("abc123abc123", "abc123"));  // the expected token repeated
    EXPECT_FALSE(TokensMatch("", ""));
    EXPECT_EQ(BearerToken("Bearer xyz").value_or("-"), "xyz");
    EXPECT_EQ(BearerToken("  bearer   xyz ").value_or("-"), "xyz");
    EXPECT_FALSE(BearerToken("Basic xyz"));
    EXPECT_FALSE(BearerToken("Bearer"));
}

TEST(WebRequestParsing, TimesInEveryAcceptedForm) {
    EXPECT_EQ(ParseIsoTime("2026-12-06T10:00:00Z"), 1'796'551'200);
    EXPECT_EQ(ParseIsoTime("2026-12-06T11:30:00+01:30"), 1'796'551'200);
    EXPECT_EQ(ParseIsoTime("2026-12-06T08:00-0200"), 1'796'551'200);
    EXPECT_EQ(ParseIsoTime("1796551200"), 1'796'551'200);
    EXPECT_EQ(ParseIsoTime("2024-02-29 00:00:00z"), 1'709'164'800);
    // Without an offset: local time, as the logs are written.
    EXPECT_EQ(ParseIsoTime("2026-07-01T12:00"), FromLocal(2026, 7, 1, 12, 0, 0));
    EXPECT_EQ(ParseIsoTime("2026-07-01"), FromLocal(2026, 7, 1, 0, 0, 0));
    for (const char* bad : {"", "yesterday", "2026-13-01", "2025-02-29", "2026-12-06T24:00", "2026-12-06T10:00:00+",
                            "2026-12-06T10:00:00Zjunk", "2026-12-6", "1969-12-31", "99999999999999"}) {
        EXPECT_FALSE(ParseIsoTime(bad)) << bad;
    }
    const std::string text = FormatIsoTime(1'796'551'200);
    EXPECT_EQ(ParseIsoTime(text), 1'796'551'200) << text;
    EXPECT_EQ(text.size(), 25u);
}

TEST(WebRequestParsing, NumbersUnitsListsAndEventIds) {
    EXPECT_EQ(ParseChannelNumber(" 12.5 "), 12.5);
    EXPECT_EQ(ParseChannelNumber("+3"), 3);
    EXPECT_EQ(ParseChannelNumber("-1.5E+02"), -150);
    for (const char* none : {"", " ", "12,5", "1.2.3", "nan", "inf", "1e999", "+-1", "12abc", "----"}) {
        EXPECT_FALSE(ParseChannelNumber(none)) << none;
    }
    EXPECT_EQ(ChannelUnit("Temperature (C)"), "C");
    EXPECT_EQ(ChannelUnit("Rain [ mm ]"), "mm");
    EXPECT_EQ(ChannelUnit("Pressure"), "");
    EXPECT_EQ(ChannelUnit(")"), "");
    auto list = SplitCommaList(" a, ,b ,c,", 3);
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(SplitCommaList("a,b,c,d", 3));
    const auto id = ParseEventId(FormatEventId({0xabcdef, 42}));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->run, 0xabcdefu);
    EXPECT_EQ(id->seq, 42u);
    for (const char* bad : {"", "-", "abc-", "-5", "zz-5", "ab-5x", "ab-+5", "12345678901234567-1"}) {
        EXPECT_FALSE(ParseEventId(bad)) << bad;
    }
}

TEST(WebRequestParsing, DashboardPathsStayInsideTheFolder) {
    EXPECT_EQ(DashboardRelativePath("/"), "index.html");
    EXPECT_EQ(DashboardRelativePath("/img/dial.svg"), "img/dial.svg");
    for (const char* bad : {"", "app.js", "/..", "/../x", "/a/../../x", "/./x", "//x", "/a//b", "/a/", "/.env",
                            "/a\\..\\b", "/a\x01"}) {
        EXPECT_FALSE(DashboardRelativePath(bad)) << bad;
    }
    EXPECT_STREQ(DashboardContentType("a/b.css"), "text/css; charset=utf-8");
    EXPECT_STREQ(DashboardContentType("README"), "application/octet-stream");
}

}  // namespace
}  // namespace svu
