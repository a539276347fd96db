#include "loggers/WSTriscan.h"

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "framework/Clock.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "platform/SerialControl.h"
#include "stations/LogFile.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kDownloadFailed = 238;
constexpr int kUnableToWriteLogFile = 653;
constexpr auto kStopSettle = std::chrono::milliseconds(100);
constexpr int64_t kProgressPeriodMs = 1000;

}  // namespace

WSTriscan::WSTriscan() : LineInstrumentStation(kTypeCode, kDefaultBaudRate) {
    SetChannels({"Wind speed (m/s)", "Wind direction (deg)"}, {1, 3});
}

WSTriscan::WSTriscan(std::string stationName)
    : LineInstrumentStation(kTypeCode, kDefaultBaudRate, std::move(stationName)) {
    SetChannels({"Wind speed (m/s)", "Wind direction (deg)"}, {1, 3});
}

std::unique_ptr<WeatherStation> WSTriscan::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSTriscan(*this));
}

bool WSTriscan::StartRealtime() {
    if (!OpenPort()) {
        return false;
    }
    Comm()->Output(kTriscanStreamOn);
    return true;
}

bool WSTriscan::StopRealtime() {
    if (portOpen && Comm() != nullptr) {
        Comm()->Output(kTriscanStreamOff);
        Comm()->WaitSendComplete(static_cast<int>(kStopSettle.count()));
        GetClock().SleepFor(kStopSettle);
    }
    return true;
}

void WSTriscan::OnLinkRestored() {
    // The instrument behind a device that came back may have been restarted.
    if (Comm() != nullptr) {
        Comm()->Output(kTriscanStreamOn);
    }
}

void WSTriscan::HandleLine(const std::string& line) {
    const TimeT now = GetClock().Now();
    if (now == readingTime) {
        return;  // one reading per second
    }
    TriscanReading reading;
    if (ParseTriscanLine(line, reading) != LineVerdict::Ok) {
        ReportCorrupt();
        return;
    }
    StoreReading(now, [&](std::vector<std::string>& table) {
        if (table.size() >= 2) {
            table[0] = std::move(reading.speed);
            table[1] = std::move(reading.direction);
        }
    });
}

bool WSTriscan::ReadDownloadLine(std::string& line) {
    while (Comm()->ReadLine(line, kLineTimeoutMs)) {
        StripControlChars(line);
        if (!line.empty()) {
            return true;
        }
    }
    return false;
}

void WSTriscan::Download(const std::string& targetPath) {
    lastOperationOk_ = false;
    downloaded_ = 0;
    UserInterface& ui = Ui();
    const auto fail = [&] {
        ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        ClosePort();
    };
    if (!portOpen && !OpenPort()) {
        fail();
        return;
    }
    Comm()->DiscardInput();  // what the stream left is not part of the download
    if (!Comm()->Output(kTriscanDownload)) {
        fail();
        return;
    }
    ui.ShowProgress("Downloading logged data");
    LogFile file;
    bool empty = false;
    // The download replaces an existing file.
    if (std::remove(targetPath.c_str()) != 0 && errno != ENOENT) {
        ReportError(this, Str(kUnableToWriteLogFile) + " [" + targetPath + "]");
        fail();
        return;
    }
    if (!file.Open(targetPath, empty) || !file.Write(TriscanLogHeader())) {
        ReportError(this, Str(kUnableToWriteLogFile) + " [" + targetPath + "]");
        fail();
        return;
    }
    std::string line;
    TimeT start = 0;
    if (!ReadDownloadLine(line) || !ParseTriscanStartLine(line, start)) {
        fail();
        return;
    }
    Clock& clock = GetClock();
    int64_t lastProgress = clock.TickMs();
    while (true) {
        if (!ReadDownloadLine(line)) {
            // The instrument stopped before its end line: what came so far stays in the file.
            fail();
            return;
        }
        if (IsTriscanEnd(line)) {
            break;
        }
        if (!file.Write(TriscanLogRecord(start, line))) {
            ReportError(this, Str(kUnableToWriteLogFile) + " [" + targetPath + "]");
            fail();
            return;
        }
        ++downloaded_;
        if (clock.TickMs() - lastProgress >= kProgressPeriodMs) {
            lastProgress = clock.TickMs();
            ui.ShowProgress(FormatC("%d records received", downloaded_));
        }
    }
    file.Close();
    ClosePort();
    lastOperationOk_ = true;
}

}  // namespace svu
