#include "outputs/WebOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "framework/AtomicFile.h"
#include "framework/Settings.h"
#include "framework/TextUtil.h"

namespace svu {

namespace {

constexpr std::string_view kPrefix = "{STRATAVUE:";
constexpr std::string_view kDateTag = "#DATE}";
constexpr std::string_view kTimeTag = "#TIME}";
constexpr std::size_t kMaxDateChars = 98;
constexpr std::size_t kMaxTimeChars = 18;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Fills tags against one source, fetching each station's name and channel names only once per
// page: a 200-tag page would otherwise copy every name table 200 times under the locks.
class TagFiller {
public:
    TagFiller(const WebValueSource& source, const WebClockTexts& clock) : source_(source), clock_(clock) {
        const std::size_t n = source.StationCount();
        stations_.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            stations_[i].name = source.StationName(i);
        }
    }

    void ExpandLine(std::string_view line, std::string& out) {
        std::size_t pos = 0;
        for (;;) {
            const std::size_t p = line.find(kPrefix, pos);
            if (p == std::string_view::npos) {
                break;
            }
            out.append(line.substr(pos, p - pos));
            const std::string_view rest = line.substr(p + kPrefix.size());
            std::size_t consumed = 0;
            if (rest.starts_with(kDateTag)) {
                out += clock_.date;
                consumed = kDateTag.size();
            } else if (rest.starts_with(kTimeTag)) {
                out += clock_.time;
                consumed = kTimeTag.size();
            } else if (!FillChannelTag(rest, out, consumed)) {
                // Not a tag of anything we know: keep it and look further on, never at it again.
                out += kPrefix;
            }
            pos = p + kPrefix.size() + consumed;
        }
        out.append(line.substr(pos));
    }

private:
    struct StationNames {
        std::string name;
        bool channelsLoaded = false;
        std::vector<std::string> channels;  // trailing white space removed
    };

    const std::vector<std::string>& Channels(std::size_t station) {
        StationNames& s = stations_[station];
        if (!s.channelsLoaded) {
            source_.CopyChannelNames(station, s.channels);
            for (std::string& name : s.channels) {
                name.resize(TrimRight(name).size());
            }
            s.channelsLoaded = true;
        }
        return s.channels;
    }

    // `rest` follows the prefix. On a match appends the replacement and sets `consumed` to the
    // length of the tag after the prefix.
    bool FillChannelTag(std::string_view rest, std::string& out, std::size_t& consumed) {
        for (std::size_t s = 0; s < stations_.size(); ++s) {
            const std::string& stationName = stations_[s].name;
            if (!rest.starts_with(stationName) || rest.size() <= stationName.size() ||
                rest[stationName.size()] != ':') {
                continue;
            }
            const std::string_view afterStation = rest.substr(stationName.size() + 1);
            const std::vector<std::string>& channels = Channels(s);
            for (std::size_t c = 0; c < channels.size(); ++c) {
                const std::string& channelName = channels[c];
                if (!afterStation.starts_with(channelName) || afterStation.size() <= channelName.size()) {
                    continue;
                }
                const std::size_t tagStart = stationName.size() + 1 + channelName.size();
                const char next = afterStation[channelName.size()];
                if (next == '}') {
                    source_.CopyValue(s, c, value_);
                    out += value_;
                    consumed = tagStart + 1;
                    return true;
                }
                if (next == '(') {
                    const std::string_view format = afterStation.substr(channelName.size() + 1);
                    const std::size_t close = format.find('}');
                    if (close == std::string_view::npos || close < 1 || format[close - 1] != ')') {
                        continue;
                    }
                    source_.CopyValue(s, c, value_);
                    const std::optional<std::string> text = FormatWebValue(value_, format.substr(0, close - 1));
                    if (!text) {
                        continue;
                    }
                    out += *text;
                    consumed = tagStart + 1 + close + 1;
                    return true;
                }
            }
        }
        return false;
    }

    const WebValueSource& source_;
    const WebClockTexts& clock_;
    std::vector<StationNames> stations_;
    std::string value_;  // reused for every value copied
};

}  // namespace

WebClockTexts MakeWebClockTexts(TimeT now) {
    WebClockTexts texts{FormatUserDate(now), FormatUserTime(now)};
    if (texts.date.size() > kMaxDateChars) {
        texts.date.resize(kMaxDateChars);
    }
    if (texts.time.size() > kMaxTimeChars) {
        texts.time.resize(kMaxTimeChars);
    }
    return texts;
}

std::optional<std::string> FormatWebValue(std::string_view value, std::string_view widthAndPrecision) {
    if (widthAndPrecision.size() != 3 || !IsDigit(widthAndPrecision[0]) || widthAndPrecision[1] != '.' ||
        !IsDigit(widthAndPrecision[2])) {
        return std::nullopt;
    }
    const int width = widthAndPrecision[0] - '0';
    const int precision = widthAndPrecision[2] - '0';
    const double number = AtoF(value);
    if (width == 0) {
        return FormatC("%.*f", precision, number);
    }
    return FormatC("%0*.*f", width, precision, number);
}

void ExpandWebLine(std::string_view line, const WebValueSource& source, const WebClockTexts& clock, std::string& out) {
    TagFiller(source, clock).ExpandLine(line, out);
}

std::string ExpandWebTemplate(std::string_view templateText, const WebValueSource& source, const WebClockTexts& clock) {
    TagFiller filler(source, clock);
    std::string out;
    out.reserve(templateText.size() + templateText.size() / 8);
    while (!templateText.empty()) {
        const std::size_t end = templateText.find('\n');
        std::string_view line = templateText.substr(0, end);
        templateText.remove_prefix(end == std::string_view::npos ? templateText.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        filler.ExpandLine(line, out);
        out += "\r\n";
    }
    return out;
}

bool ReadWebTemplate(const std::string& path, std::string& text) {
    text.clear();
    // Non-blocking, so that naming a pipe with no writer cannot stall the refresh cycle in open().
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<unsigned long long>(st.st_size) <= kMaxWebTemplateBytes;
    if (ok) {
        text.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;  // the file shrank while being read: take what is there
            }
            got += static_cast<std::size_t>(n);
        }
        text.resize(got);
    }
    ::close(fd);
    return ok;
}

WebOutputSettings LoadWebOutputSettings(const Settings& settings) {
    WebOutputSettings web;
    web.active = settings.GetSettingInt(kSectionWebOutput, kKeyWebActive, kWebActiveDefault);
    web.interval = settings.GetSettingInt(kSectionWebOutput, kKeyWebInterval, kWebIntervalDefault);
    web.templateFile = settings.GetSettingString(kSectionWebOutput, kKeyWebTemplate, "");
    web.outputFile = settings.GetSettingString(kSectionWebOutput, kKeyWebOutput, "");
    web.ftp = settings.GetSettingInt(kSectionWebOutput, kKeyWebFtp, kWebFtpDefault);
    return web;
}

bool SaveWebOutputSettings(Settings& settings, const WebOutputSettings& web) {
    bool ok = settings.WriteSettingString(kSectionWebOutput, kKeyWebTemplate, web.templateFile);
    ok = settings.WriteSettingString(kSectionWebOutput, kKeyWebOutput, web.outputFile) && ok;
    ok = settings.WriteSettingInt(kSectionWebOutput, kKeyWebInterval, web.interval) && ok;
    ok = settings.WriteSettingInt(kSectionWebOutput, kKeyWebActive, web.active) && ok;
    ok = settings.WriteSettingInt(kSectionWebOutput, kKeyWebFtp, web.ftp) && ok;
    return ok;
}

bool WebOutput::Tick(int64_t tickMs, TimeT now, const WebValueSource& source) {
    if (!settings_.active) {
        return false;
    }
    // An interval below one second (only a hand-edited settings file holds one) would rewrite the
    // page on every 10 ms tick.
    const int64_t intervalMs = static_cast<int64_t>(settings_.interval < 1 ? 1 : settings_.interval) * 1000;
    if (lastTickMs_ && tickMs <= *lastTickMs_ + intervalMs) {
        return false;
    }
    lastTickMs_ = tickMs;
    ProduceWebPage(now, source);
    return true;
}

WebOutputResult WebOutput::ProduceWebPage(TimeT now, const WebValueSource& source) {
    std::string templateText;
    if (settings_.templateFile.empty() || !ReadWebTemplate(settings_.templateFile, templateText)) {
        lastResult_ = WebOutputResult::TemplateUnreadable;
        return *lastResult_;
    }
    // An output named like the template (or a link to it) would replace the template by its
    // first page, and every later page would have no tags left.
    struct stat templateStat {};
    struct stat outputStat {};
    if (settings_.outputFile == settings_.templateFile ||
        (::stat(settings_.templateFile.c_str(), &templateStat) == 0 &&
         ::stat(settings_.outputFile.c_str(), &outputStat) == 0 && templateStat.st_dev == outputStat.st_dev &&
         templateStat.st_ino == outputStat.st_ino)) {
        lastResult_ = WebOutputResult::OutputIsTemplate;
        return *lastResult_;
    }
    const std::string page = ExpandWebTemplate(templateText, source, MakeWebClockTexts(now));
    if (settings_.outputFile.empty() || !WriteFileAtomically(settings_.outputFile, page)) {
        lastResult_ = WebOutputResult::OutputUnwritable;
        return *lastResult_;
    }
    lastResult_ = WebOutputResult::Written;
    if (settings_.ftp && upload_) {
        upload_(settings_.outputFile);
    }
    return *lastResult_;
}

}  // namespace svu
