#include "stations/StationReports.h"

#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <utility>

#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "framework/RegularFile.h"
#include "framework/SafeName.h"
#include "framework/Settings.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

// Distinct reports remembered for counting repeats; a station that produces more different
// messages than this within a minute has its oldest counts written early.
constexpr std::size_t kMaxRememberedReports = 256;
constexpr std::size_t kMaxNotices = 64;

struct Repeat {
    TimeT written = 0;  // when the report was last written
    long count = 0;     // repeats since then, not yet written
    std::string line;   // the station and message as last written (no stamp)
};

struct ReportState {
    std::mutex mutex;  // one report at a time, from every thread
    std::string folder;
    Clock* clock = nullptr;
    std::map<std::string, Repeat> repeats;
    std::vector<std::string> notices;
};

ReportState& State() {
    static ReportState state;
    return state;
}

std::string PathIn(const std::string& folder, const char* file) {
    if (folder.empty()) {
        return file;
    }
    return folder.back() == '/' ? folder + file : folder + '/' + file;
}

// One write call per report, so even another process appending to the same file cannot split it.
// A symbolic link planted in place of the file is not followed.
void AppendWhole(const std::string& path, std::string_view bytes) {
    const int fd = OpenForAppend(path);
    if (fd < 0) {
        return;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

std::string RepeatLine(const Repeat& r) {
    return r.line + " (repeated " + std::to_string(r.count) + (r.count == 1 ? " time)" : " times)");
}

// Writes the counts of reports whose minute is over (all of them when `all`), under the lock.
void FlushRepeatsLocked(ReportState& state, TimeT now, bool all, std::string& out) {
    for (auto it = state.repeats.begin(); it != state.repeats.end();) {
        const TimeT age = now - it->second.written;
        if (!all && age >= 0 && age < kReportRepeatWindowSeconds) {
            ++it;
            continue;
        }
        if (it->second.count > 0) {
            out += FormatErrorStamp(now) + RepeatLine(it->second) + "\r\n";
        }
        it = state.repeats.erase(it);
    }
}

std::string Sanitized(std::string_view text) {
    return EscapeControls(text);
}

}  // namespace

void SetReportFolder(const std::string& folder) {
    std::lock_guard guard(State().mutex);
    State().folder = folder;
    State().repeats.clear();  // counts and notices of another folder's reports
    State().notices.clear();
}

std::string ReportFolder() {
    std::lock_guard guard(State().mutex);
    return State().folder;
}

std::string ProgramSettingsPath() {
    const std::string folder = ReportFolder();
    return folder.empty() || folder.back() == '/' ? folder + kSettingsFileName : folder + "/" + kSettingsFileName;
}

void SetReportClock(Clock* clock) {
    std::lock_guard guard(State().mutex);
    State().clock = clock;
    State().repeats.clear();
}

void ReportError(const WeatherStation* station, std::string_view message) {
    if (station != nullptr && (station->logErrors == 0 || station->startRetrying.load())) {
        return;
    }
    ReportState& state = State();
    std::lock_guard guard(state.mutex);
    const Clock& clock = state.clock != nullptr ? *state.clock : SystemClock();
    const TimeT now = clock.Now();
    std::string line;
    if (station != nullptr) {
        line += Sanitized(station->name);
        line += ", ";
    }
    line += Sanitized(message);
    // The detail in brackets (a line number, a file name) does not make a report a new one: a
    // file whose every line is damaged is one problem.
    std::string key = station != nullptr ? Sanitized(station->name) + '\n' : std::string("\n");
    key += message.substr(0, message.find(" ["));

    std::string out;
    FlushRepeatsLocked(state, now, false, out);
    auto it = state.repeats.find(key);
    if (it != state.repeats.end()) {
        ++it->second.count;
        it->second.line = std::move(line);
    } else {
        if (state.repeats.size() >= kMaxRememberedReports) {
            FlushRepeatsLocked(state, now, true, out);
        }
        out += FormatErrorStamp(now) + line + "\r\n";
        state.repeats.emplace(std::move(key), Repeat{now, 0, std::move(line)});
    }
    if (!out.empty()) {
        AppendWhole(PathIn(state.folder, "error.txt"), out);
    }
}

void FlushReportRepeats(bool all) {
    ReportState& state = State();
    std::lock_guard guard(state.mutex);
    const Clock& clock = state.clock != nullptr ? *state.clock : SystemClock();
    std::string out;
    FlushRepeatsLocked(state, clock.Now(), all, out);
    if (!out.empty()) {
        AppendWhole(PathIn(state.folder, "error.txt"), out);
    }
}

void AppendAlarmsFile(std::string_view text) {
    // The text's own CR LF line ends stay; any other control character (from a name) is escaped so
    // that it cannot start a line of its own.
    std::string clean;
    clean.reserve(text.size());
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        clean += Sanitized(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        clean += "\r\n";
        text.remove_prefix(end + 2);
    }
    ReportState& state = State();
    std::lock_guard guard(state.mutex);
    AppendWhole(PathIn(state.folder, "alarms.txt"), clean);
}

void PostNotice(const WeatherStation* station, std::string_view message) {
    std::string text = station != nullptr ? Sanitized(station->name) + ": " : std::string();
    text += Sanitized(message);
    ReportState& state = State();
    std::lock_guard guard(state.mutex);
    if (state.notices.size() < kMaxNotices) {
        state.notices.push_back(std::move(text));
    }
}

std::vector<std::string> TakeNotices() {
    ReportState& state = State();
    std::lock_guard guard(state.mutex);
    return std::exchange(state.notices, {});
}

}  // namespace svu
