// Feeds arbitrary text to everything the web server reads from a request itself: listening
// addresses, tokens, times, channel lists, event ids, numbers, units and dashboard paths. Nothing
// may crash, and what is accepted must keep the promises the callers rely on: a dashboard path
// never climbs out of its folder or names a hidden file, a parsed time formats back to itself.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "outputs/WebHistoryFormat.h"
#include "outputs/WebRequestParsing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const auto path = svu::DashboardRelativePath(text)) {
        std::string_view rest = *path;
        while (!rest.empty()) {
            const std::size_t slash = rest.find('/');
            const std::string_view part = rest.substr(0, slash);
            if (part.empty() || part.front() == '.' || part.find('\\') != std::string_view::npos) {
                std::abort();
            }
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        }
        svu::DashboardContentType(*path);
    }
    if (const auto time = svu::ParseIsoTime(text)) {
        if (svu::ParseIsoTime(svu::FormatIsoTime(*time)) != *time && *time < 253402300799) {
            std::abort();
        }
    }
    if (const auto endpoint = svu::ParseHttpEndpoint(text)) {
        if (endpoint->port < 0 || endpoint->port > 65535 || endpoint->address.empty()) {
            std::abort();
        }
        svu::IsLoopbackAddress(endpoint->address);
    }
    svu::IsLoopbackAddress(text);
    svu::TokensMatch(text, "token");
    svu::BearerToken(text);
    svu::ParseChannelNumber(text);
    svu::ChannelUnit(text);
    if (const auto list = svu::SplitCommaList(text, 8)) {
        if (list->size() > 8) {
            std::abort();
        }
    }
    if (const auto id = svu::ParseEventId(text)) {
        if (svu::ParseEventId(svu::FormatEventId(*id))->seq != id->seq) {
            std::abort();
        }
    }
    // The history query: the input split at '&' into parameters.
    std::string error;
    svu::ParseHistoryQuery(
        [&](const char* name) -> std::optional<std::string> {
            const std::string key = std::string(name) + "=";
            const std::size_t at = text.find(key);
            if (at == std::string_view::npos) {
                return std::nullopt;
            }
            const std::size_t end = text.find('&', at);
            return std::string(text.substr(at + key.size(), end == std::string_view::npos ? end : end - at - key.size()));
        },
        1'765'015'200, 366, error);
    return 0;
}
