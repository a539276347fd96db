// Fills arbitrary templates against stations whose names, channel names and values come partly
// from the input itself (so values can hold tags and names can hold the tag prefix). Every cycle
// must end, text outside tags must come through unchanged, and replacements must never grow the
// page beyond what the values can account for.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "outputs/WebOutput.h"

namespace {

struct Station {
    std::string name;
    std::vector<std::string> channels;
    std::vector<std::string> values;
};

class Source : public svu::WebValueSource {
public:
    explicit Source(std::vector<Station> stations) : stations_(std::move(stations)) {}
    std::size_t StationCount() const override { return stations_.size(); }
    std::string StationName(std::size_t s) const override { return stations_[s].name; }
    void CopyChannelNames(std::size_t s, std::vector<std::string>& names) const override {
        names = stations_[s].channels;
    }
    void CopyValue(std::size_t s, std::size_t c, std::string& value) const override {
        value = c < stations_[s].values.size() ? stations_[s].values[c] : std::string();
    }

private:
    std::vector<Station> stations_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first line (up to 64 bytes) names a station, a channel and a value, separated by '|'.
    const std::size_t eol = bytes.find('\n');
    std::string_view head = bytes.substr(0, std::min<std::size_t>(eol, 64));
    std::vector<std::string> parts;
    while (parts.size() < 3) {
        const std::size_t bar = head.find('|');
        parts.emplace_back(head.substr(0, bar));
        head.remove_prefix(bar == std::string_view::npos ? head.size() : bar + 1);
    }
    const Source source({
        {"A", {"x", "x ", "{STRATAVUE:A:x}", ""}, {"1.5", "{STRATAVUE:A:x}", "{STRATAVUE:#DATE}", "9e300"}},
        {"A:x", {"}"}, {"-0"}},
        {parts[0], {parts[1], "T"}, {parts[2], "{STRATAVUE:" + parts[0] + ":T}"}},
    });
    const svu::WebClockTexts clock{"DATE", "TIME"};

    const std::string page = svu::ExpandWebTemplate(bytes, source, clock);
    // Every replacement adds at most the longest value or number text (9e300 with 9 decimals).
    const std::size_t tags = [&] {
        std::size_t n = 0;
        for (std::size_t p = bytes.find("{STRATAVUE:"); p != std::string_view::npos;
             p = bytes.find("{STRATAVUE:", p + 1)) {
            ++n;
        }
        return n;
    }();
    const std::size_t lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    if (page.size() > bytes.size() + 2 * lines + tags * (320 + parts[2].size() + parts[0].size())) {
        std::abort();
    }
    if (tags == 0) {
        // Without tags the page is the template with CR LF line ends.
        std::string expected;
        std::string_view rest = bytes;
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            expected.append(line);
            expected += "\r\n";
        }
        if (page != expected) {
            std::abort();
        }
    }
    return 0;
}
