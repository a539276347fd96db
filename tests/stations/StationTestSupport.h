#pragma once

// Shared pieces of the station tests: hosts for a station called directly or run on its thread, a
// mail sender that keeps what it is given, report files in a test folder, bounded waits, and a byte
// builder for hand-made archive records.

#include <stdlib.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "framework/TempDir.h"
#include "stations/Notifications.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu::test {

class RecordingMailSender : public MailSender {
public:
    void Send(MailRequest request) override {
        std::lock_guard guard(mutex);
        sent.push_back(std::move(request));
    }
    std::mutex mutex;
    std::vector<MailRequest> sent;
};

class FakeHost : public StationHost {
public:
    explicit FakeHost(TimeT start) : clock(start) {}
    bool StopRequested() const override { return stop; }
    UserInterface& Ui() override { return ui; }
    Clock& GetClock() override { return clock; }
    void OnAlarmStateChanged(WeatherStation&) override { ++repaints; }
    MailSender* Mail() override { return &mail; }

    bool stop = false;
    int repaints = 0;
    ManualClock clock;
    RecordingUserInterface ui;
    RecordingMailSender mail;
};

/// A host for a station running on its own thread: a stop flag, the system clock unless another is
/// put in, and the messages the station showed.
class ThreadHost : public StationHost {
public:
    bool StopRequested() const override { return stop.load(); }
    UserInterface& Ui() override { return ui; }
    Clock& GetClock() override { return *clock; }

    std::atomic<bool> stop{false};
    Clock* clock = &SystemClock();
    RecordingUserInterface ui;
};

/// A clock that starts at a chosen calendar time and runs sixty times as fast as the real one.
class FastCalendarClock : public RealClock {
public:
    explicit FastCalendarClock(TimeT start) : start_(start), startMs_(RealClock::TickMs()) {}
    TimeT Now() const override { return start_ + (RealClock::TickMs() - startMs_) * 60 / 1000; }

private:
    TimeT start_;
    int64_t startMs_;
};

/// The program's named mutexes (a modem's among them) live in `folder` for the life of the object.
class RuntimeDirScope {
public:
    explicit RuntimeDirScope(const std::string& folder) { ::setenv("STRATAVUE_RUNTIME_DIR", folder.c_str(), 1); }
    ~RuntimeDirScope() { ::unsetenv("STRATAVUE_RUNTIME_DIR"); }
};

/// Waits for `done` with a generous bound, so a broken exchange fails instead of hanging.
inline bool WaitFor(const std::function<bool()>& done, int seconds = 60) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

/// How many times `what` occurs in `text`, overlaps included.
inline std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

/// The record lines of a log (those that begin with a date), without their CR LF.
inline std::vector<std::string> RecordLines(const std::string& log) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = log.substr(start, end - start);
        if (line.find('/') == 2) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

/// error.txt and alarms.txt go to a fresh folder, stamped by `clock`, for the life of the object;
/// the alarm switches start at 0 and are put back to 0 afterwards.
class ReportScope {
public:
    explicit ReportScope(Clock* clock = nullptr) {
        SetReportFolder(dir.Path().string());
        SetReportClock(clock);
        DisableAllAlarms() = 0;
        MuteAllAlarms() = 0;
    }
    ~ReportScope() {
        SetReportFolder("");
        SetReportClock(nullptr);
        DisableAllAlarms() = 0;
        MuteAllAlarms() = 0;
    }
    std::string ErrorText() const { return ReadFileBytes(dir.File("error.txt")); }
    std::string AlarmsText() const { return ReadFileBytes(dir.File("alarms.txt")); }

    TempDir dir;
};

/// Archive encodings written out by hand, to pin the stored layout independently of the Archive code.
struct Bytes {
    std::string b;
    Bytes& U8(uint8_t v) {
        b.push_back(static_cast<char>(v));
        return *this;
    }
    Bytes& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    Bytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Bytes& F32(float f) { return U32(std::bit_cast<uint32_t>(f)); }
    /// A short ANSI archive string: one length byte, then the characters.
    Bytes& Str(const std::string& s) {
        U8(static_cast<uint8_t>(s.size()));
        b += s;
        return *this;
    }
    /// A new-class tag: 0xFFFF, schema, name length, name.
    Bytes& NewClass(const std::string& name, uint16_t schema) {
        U16(0xFFFF).U16(schema).U16(static_cast<uint16_t>(name.size()));
        b += name;
        return *this;
    }
    std::vector<uint8_t> Vec() const { return std::vector<uint8_t>(b.begin(), b.end()); }
};

inline std::string AsString(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

}  // namespace svu::test
