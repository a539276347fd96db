#include "stations/WSNetwork.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/RegularFile.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "stations/StationReports.h"
#include "stations/RawChannels.h"

namespace svu {

namespace {

constexpr int kCannotOpenInput = 553;
constexpr int kInputCorrupt = 554;
constexpr int kOpenAttempts = 5;
constexpr auto kPollWait = std::chrono::milliseconds(100);
// Network files hold one reading; anything far larger is not one.
constexpr off_t kMaxNetworkFileBytes = 64 * 1024 * 1024;

bool ReadWhole(int fd, std::string& bytes) {
    bytes.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > static_cast<std::size_t>(kMaxNetworkFileBytes)) {
            return true;  // the count line decides how much of it is wanted
        }
    }
}

}  // namespace

WSNetwork::WSNetwork() {
    typeCode = kTypeCode;
}

WSNetwork::WSNetwork(std::string stationName) : WeatherStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

std::unique_ptr<WeatherStation> WSNetwork::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSNetwork(*this));
}

bool WSNetwork::InitComms(StationHost& host) {
    // A file not there yet is waited for (the other copy may not have written it yet); a folder,
    // FIFO or device never becomes one.
    if (inputFile.empty() || IsSpecialFile(inputFile)) {
        ReportError(this, "The input file is not a regular file [" + inputFile + "]");
        return false;
    }
    return true;
}

bool WSNetwork::ReadNetworkFile(std::vector<std::string>& lines) {
    lines.clear();
    struct stat st {};
    if (inputFile.empty() || ::stat(inputFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    // Seconds alone would miss a second reading published within the same second.
    if (st.st_mtim.tv_sec == inputFileTime && st.st_mtim.tv_nsec == inputFileNanoseconds_) {
        return false;
    }
    inputFileTime = st.st_mtim.tv_sec;
    inputFileNanoseconds_ = st.st_mtim.tv_nsec;

    int fd = -1;
    for (int attempt = 0; attempt < kOpenAttempts && fd < 0; ++attempt) {
        if (attempt > 0) {
            sched_yield();
        }
        fd = OpenRegularFile(inputFile);
    }
    if (fd < 0) {
        ReportError(this, Str(kCannotOpenInput));
        return false;
    }
    std::string bytes;
    const bool read = ReadWhole(fd, bytes);
    ::close(fd);
    if (!read) {
        ReportError(this, Str(kCannotOpenInput));
        return false;
    }

    std::string_view rest = bytes;
    auto nextLine = [&](std::string& line) {
        if (rest.empty()) {
            return false;
        }
        const std::size_t end = rest.find('\n');
        std::string_view text = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (text.ends_with('\r')) {
            text.remove_suffix(1);
        }
        line.assign(text);
        return true;
    };
    std::string countLine;
    if (!nextLine(countLine)) {
        counters->corruptLines.fetch_add(1, std::memory_order_relaxed);
        ReportError(this, Str(kInputCorrupt));
        return false;
    }
    const long count = std::clamp<long>(AtoL(countLine), 0, kMaxChannels);
    lines.push_back(std::move(countLine));
    for (long i = 0; i < 2 * count + 2; ++i) {
        std::string line;
        if (!nextLine(line)) {
            lines.clear();
            counters->corruptLines.fetch_add(1, std::memory_order_relaxed);
        ReportError(this, Str(kInputCorrupt));
            return false;
        }
        lines.push_back(std::move(line));
    }
    return true;
}

bool WSNetwork::ReadConfiguration() {
    if (!ReadNetworkFile(lines_)) {
        return false;
    }
    std::vector<std::string> names;
    for (std::size_t line = 3; line < lines_.size(); line += 2) {
        names.push_back(lines_[line]);
    }
    ReplaceRawChannels(*this, names);
    return true;
}

bool WSNetwork::StartRealtime() {
    ReadConfiguration();
    return true;
}

void WSNetwork::Poll(StationHost& host) {
    const std::size_t raw = static_cast<std::size_t>(std::max(rawChannelCount, 0));
    // A file for another channel count is left alone until the configuration is read again.
    if (!ReadNetworkFile(lines_) || lines_.size() != 2 * raw + 3) {
        host.GetClock().SleepFor(kPollWait);
        return;
    }
    const TimeT time = ParseDateTime(lines_[1], lines_[2]);
    if (time == readingTime) {
        host.GetClock().SleepFor(kPollWait);  // the same reading published again
        return;
    }
    StoreReading(time, [&](std::vector<std::string>& values) {
        for (std::size_t i = 0; i < raw && i < values.size(); ++i) {
            values[i].swap(lines_[4 + 2 * i]);
        }
    });
}

void WSNetwork::ThreadFunction(StationHost& host) {
    RunAcquisition(host, [&] { Poll(host); });
}

void WSNetwork::VisitKindFields(FieldVisitor& v) {
    v.String("inputFile", inputFile);
}

}  // namespace svu
