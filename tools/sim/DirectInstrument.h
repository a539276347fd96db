#pragma once

// The simulated Direct station instrument as a state machine without I/O: bytes in, bytes out,
// and the passing of time. It echoes what it receives, answers its terminal menu with
// ETX-terminated replies, streams "Sensor monitor" lines, keeps a logger memory and dumps it by
// XMODEM.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"
#include "platform/Xmodem.h"
#include "sim/DirectMemory.h"
#include "sim/DirectSimOptions.h"

namespace svu::sim {

class DirectInstrument {
public:
    enum class Mode {
        Menu,
        Monitor,
        GustPeriod,
        LoggerInterval,
        ClockDay,
        ClockMonth,
        ClockYear,
        ClockHour,
        ClockMinute,
        ClearConfirm,
        ClearSure,
        ChannelCount,
        CounterCount,
        ChannelNumber,
        ChannelName,
        ChannelType,
        CalibrationNumber,
        CalibrationOffset,
        CalibrationMultiplier,
        Dump,
    };

    /// now: the computer's clock; tickMs: a monotonic millisecond count.
    DirectInstrument(DirectSimOptions options, TimeT now, int64_t tickMs);
    ~DirectInstrument();

    /// Bytes from the line; returns what the instrument sends back.
    std::string OnInput(std::string_view bytes, TimeT now, int64_t tickMs);
    /// Time passing: real-time lines, logging, transfer time-outs. Returns what is sent.
    std::string OnTick(TimeT now, int64_t tickMs);

    /// Receives a short description of each thing the instrument does (for --verbose).
    void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

    Mode GetMode() const { return mode_; }
    TimeT InstrumentTime(TimeT now) const { return now + clockOffset_; }
    bool Silent(int64_t tickMs) const;
    const DirectMemory& Memory() const { return memory_; }
    const std::vector<SimChannel>& Channels() const { return options_.channels; }
    double Offset(std::size_t channel) const { return offsets_[channel]; }
    double Multiplier(std::size_t channel) const { return multipliers_[channel]; }
    int LoggerInterval() const { return options_.loggerInterval; }
    int GustPeriod() const { return options_.gustPeriod; }
    int Counters() const { return options_.counters; }
    uint64_t LinesSent() const { return linesSent_; }

    /// The menu reply, ending with the prompt and ETX.
    static std::string MenuText();

private:
    void HandleByte(uint8_t byte, TimeT now, int64_t tickMs, std::string& out);
    void Submit(const std::string& text, TimeT now, int64_t tickMs, std::string& out);
    void SubmitMenu(const std::string& text, TimeT now, int64_t tickMs, std::string& out);
    void SubmitClock(const std::string& text, TimeT now, std::string& out);
    void SubmitChannelSetup(const std::string& text, std::string& out);
    void SubmitCalibration(const std::string& text, std::string& out);
    std::string ChannelPrompt() const;
    std::string RealtimeLine(TimeT now);
    std::vector<double> ValuesAt(TimeT instrumentTime) const;
    void LogDueRecords(TimeT now);
    void ScheduleLogging(TimeT now);
    void FillStartingRecords(TimeT now);
    void ApplyMemorySetup();
    void Log(const std::string& text) const;

    DirectSimOptions options_;
    std::vector<double> offsets_;
    std::vector<double> multipliers_;
    DirectMemory memory_;
    Mode mode_ = Mode::Menu;
    std::string line_;
    TimeT clockOffset_ = 0;
    int64_t startTick_ = 0;
    int64_t nextLineTick_ = 0;
    TimeT nextRecordTime_ = 0;  // instrument time
    uint64_t linesSent_ = 0;
    uint64_t strayState_;
    int clockFields_[5] = {};  // day, month, year, hour, minute being entered
    std::size_t editChannel_ = 0;
    std::unique_ptr<XmodemSender> sender_;
    int64_t lastDumpTick_ = 0;
    std::function<void(const std::string&)> log_;
};

}  // namespace svu::sim
