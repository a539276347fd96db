#include "stations/StationReports.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

struct ReportState {
    std::mutex mutex;  // one report at a time, from every thread
    std::string folder;
    Clock* clock = nullptr;
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
void AppendWhole(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
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

}  // namespace

void SetReportFolder(const std::string& folder) {
    std::lock_guard guard(State().mutex);
    State().folder = folder;
}

std::string ReportFolder() {
    std::lock_guard guard(State().mutex);
    return State().folder;
}

void SetReportClock(Clock* clock) {
    std::lock_guard guard(State().mutex);
    State().clock = clock;
}

void ReportError(const WeatherStation* station, std::string_view message) {
    if (station != nullptr && station->logErrors == 0) {
        return;
    }
    ReportState& state = State();
    std::lock_guard guard(state.mutex);
    const Clock& clock = state.clock != nullptr ? *state.clock : SystemClock();
    std::string line = FormatErrorStamp(clock.Now());
    if (station != nullptr) {
        line += station->name;
        line += ", ";
    }
    line += message;
    line += "\r\n";
    AppendWhole(PathIn(state.folder, "error.txt"), line);
}

void AppendAlarmsFile(std::string_view text) {
    ReportState& state = State();
    std::lock_guard guard(state.mutex);
    AppendWhole(PathIn(state.folder, "alarms.txt"), text);
}

}  // namespace svu
