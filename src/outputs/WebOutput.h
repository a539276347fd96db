#pragma once

// Web page output: a template written by the user, with tags naming stations and channels, is
// filled with the current values and written out on an interval. The tag grammar:
//
//   {STRATAVUE:#DATE}              the current date in the user's date format
//   {STRATAVUE:#TIME}              the current time in the user's time format
//   {STRATAVUE:station:channel}    the channel's value text as the station holds it
//   {STRATAVUE:station:channel(W.P)}  the value as a number, "%0W.Pf" (or "%.Pf" when W is 0)
//
// A tag that matches nothing is left as it stands and the search goes on after its prefix; a
// replacement is never searched again, so a value that itself looks like a tag stays plain text
// and every cycle ends.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

class Settings;

/// The stations a web page may show (the enabled ones, in list order). Names and values are copied
/// under each station's lock, since the worker threads change them.
class WebValueSource {
public:
    virtual ~WebValueSource() = default;

    /// Number of stations tags may name.
    virtual std::size_t StationCount() const = 0;
    /// The name of station `station` (0-based, < StationCount()).
    virtual std::string StationName(std::size_t station) const = 0;
    /// Copies the station's channel names, in channel order.
    virtual void CopyChannelNames(std::size_t station, std::vector<std::string>& names) const = 0;
    /// Copies the value text of channel `channel` (0-based); empty when there is none.
    virtual void CopyValue(std::size_t station, std::size_t channel, std::string& value) const = 0;
};

/// What date and time tags are replaced with.
struct WebClockTexts {
    std::string date;
    std::string time;
};

/// The date and time texts of `now` in the user's formats, cut to the lengths pages have always had.
WebClockTexts MakeWebClockTexts(TimeT now);

/// Fills every tag of one template line into `out` (appended; no line end added).
void ExpandWebLine(std::string_view line, const WebValueSource& source, const WebClockTexts& clock, std::string& out);

/// Fills a whole template: every line (CR LF or LF ends) expanded and ended with CR LF.
std::string ExpandWebTemplate(std::string_view templateText, const WebValueSource& source, const WebClockTexts& clock);

/// The number text of a formatted tag: `value` read as a C-locale number, "%.Pf" when W is 0, else
/// "%0W.Pf". `widthAndPrecision` must be exactly digit, point, digit; otherwise nullopt.
std::optional<std::string> FormatWebValue(std::string_view value, std::string_view widthAndPrecision);

/// Reads a template file whole. Only a regular file of at most kMaxWebTemplateBytes is read (a
/// pipe or device could block or never end); false otherwise.
bool ReadWebTemplate(const std::string& path, std::string& text);

/// Largest template read, in bytes.
inline constexpr std::size_t kMaxWebTemplateBytes = 16 * 1024 * 1024;

/// The "WebOutput" settings that web page output reads.
struct WebOutputSettings {
    int active = 0;
    int interval = 60;  // seconds
    std::string templateFile;
    std::string outputFile;
    int ftp = 0;
};

/// Reads the "WebOutput" keys with their defaults.
WebOutputSettings LoadWebOutputSettings(const Settings& settings);
/// Writes the "WebOutput" keys that this struct holds; false when the file could not be written.
bool SaveWebOutputSettings(Settings& settings, const WebOutputSettings& web);

/// How one output cycle ended.
enum class WebOutputResult { Written, TemplateUnreadable, OutputUnwritable, OutputIsTemplate };

/// Web output of the refresh cycle: produces a page when it is switched on and the interval has
/// passed since the last page. Runs on the thread of the refresh cycle.
class WebOutput {
public:
    WebOutput() = default;
    explicit WebOutput(WebOutputSettings settings) : settings_(std::move(settings)) {}

    WebOutputSettings& Config() { return settings_; }
    const WebOutputSettings& Config() const { return settings_; }

    /// Called on every refresh tick while acquisition runs: when output is active and the interval
    /// has passed since the last page (or no page was made yet), makes one. True when a cycle ran.
    bool Tick(int64_t tickMs, TimeT now, const WebValueSource& source);

    /// One full cycle: read the template, fill it, write the output file atomically, then call the
    /// upload hook when FTP is on.
    WebOutputResult ProduceWebPage(TimeT now, const WebValueSource& source);

    /// Called with the output path after each page written while FTP is on.
    void SetUploadHook(std::function<void(const std::string& outputFile)> hook) { upload_ = std::move(hook); }

    /// The result of the last cycle (nullopt before the first).
    std::optional<WebOutputResult> LastResult() const { return lastResult_; }

private:
    WebOutputSettings settings_;
    std::optional<int64_t> lastTickMs_;
    std::optional<WebOutputResult> lastResult_;
    std::function<void(const std::string&)> upload_;
};

}  // namespace svu
