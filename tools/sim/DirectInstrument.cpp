#include "sim/DirectInstrument.h"

#include <algorithm>
#include <cmath>

#include "framework/TextUtil.h"
#include "sim/DirectLine.h"
#include "stations/DirectProtocol.h"

namespace svu::sim {

namespace {

constexpr char kEtx = direct::kEtx;
constexpr int64_t kTransferSilenceMs = 10000;
constexpr std::size_t kMaxInputLine = 64;
constexpr int kMaxCatchUpRecords = 1000;
// Stray characters never include "/" (which would move the date) or line ends.
constexpr std::string_view kStrayCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ#*-+@!?";

std::string Reply(std::string_view text) {
    return std::string(text) + kEtx;
}

// A multiplier that brings the channel's largest value within the fixed-point range 1.9999.
double FittingMultiplier(const SimChannel& channel) {
    double multiplier = 1;
    const double magnitude = PatternMagnitude(channel.pattern);
    while (magnitude / multiplier > 1.9999 && multiplier < 1e9) {
        multiplier *= 10;
    }
    return multiplier;
}

direct::RecordTime ToRecordTime(TimeT time) {
    const LocalTm tm = ToLocal(time);
    return direct::RecordTime{tm.year, tm.month, tm.day, tm.hour, tm.minute};
}

}  // namespace

DirectInstrument::DirectInstrument(DirectSimOptions options, TimeT now, int64_t tickMs)
    : options_(std::move(options)),
      memory_(static_cast<std::size_t>(options_.memorySize)),
      startTick_(tickMs),
      strayState_(options_.seed * 2654435761u + 1) {
    if (options_.channels.empty()) {
        options_.channels = DefaultChannels();
    }
    if (options_.floatChannels < 0) {
        options_.floatChannels = static_cast<int>(options_.channels.size() / 2);
    }
    for (const SimChannel& channel : options_.channels) {
        offsets_.push_back(channel.offset.value_or(0.0));
        multipliers_.push_back(channel.multiplier.value_or(FittingMultiplier(channel)));
    }
    if (options_.startTime) {
        clockOffset_ = *options_.startTime - now;
    }
    ApplyMemorySetup();
    FillStartingRecords(now);
    ScheduleLogging(now);
    if (options_.startInMonitor) {
        mode_ = Mode::Monitor;
        nextLineTick_ = tickMs;
    }
}

DirectInstrument::~DirectInstrument() = default;

void DirectInstrument::Log(const std::string& text) const {
    if (log_) {
        log_(text);
    }
}

std::string DirectInstrument::MenuText() {
    return Reply(
        "\r\nCorvan weather station\r\n\r\n"
        " 2  Gust period\r\n"
        " 3  Set clock\r\n"
        " 4  Calibration\r\n"
        " 6  Logging interval\r\n"
        "10  Real time display\r\n"
        "12  Clear memory\r\n"
        "14  Channel set-up\r\n"
        "20  Dump memory\r\n\r\n"
        "Enter Option:");
}

bool DirectInstrument::Silent(int64_t tickMs) const {
    if (options_.silent) {
        return true;
    }
    if (options_.silenceAfter <= 0) {
        return false;
    }
    const int64_t cycle = static_cast<int64_t>(options_.silenceAfter + options_.silenceFor) * 1000;
    return (tickMs - startTick_) % cycle >= static_cast<int64_t>(options_.silenceAfter) * 1000;
}

void DirectInstrument::ApplyMemorySetup() {
    std::vector<MemoryChannel> channels;
    for (std::size_t c = 0; c < options_.channels.size(); ++c) {
        channels.push_back({options_.channels[c].name, options_.channels[c].type, offsets_[c], multipliers_[c]});
    }
    memory_.Configure(channels, std::min<int>(options_.floatChannels, static_cast<int>(channels.size())));
}

std::vector<double> DirectInstrument::ValuesAt(TimeT instrumentTime) const {
    std::vector<double> values;
    for (std::size_t c = 0; c < options_.channels.size(); ++c) {
        values.push_back(PatternValue(options_.channels[c], static_cast<int>(c), instrumentTime, options_.seed));
    }
    return values;
}

void DirectInstrument::FillStartingRecords(TimeT now) {
    const std::size_t capacity = memory_.Capacity();
    const auto count = static_cast<std::size_t>(options_.records);
    if (count == 0 || capacity == 0) {
        return;
    }
    // By default half the records lie before the end of the area and half after its start, so
    // a download always walks across the wrap.
    std::size_t slot = options_.recordStart >= 0 ? static_cast<std::size_t>(options_.recordStart)
                       : count <= capacity       ? capacity - count / 2
                                                 : 0;
    memory_.StartAt(slot);
    const TimeT step = static_cast<TimeT>(options_.loggerInterval) * 60;
    const TimeT last = InstrumentTime(now) / step * step;
    for (std::size_t i = 0; i < count; ++i) {
        const TimeT time = last - static_cast<TimeT>(count - 1 - i) * step;
        memory_.Append(ToRecordTime(time), ValuesAt(time));
        if (options_.erasedEvery > 0 && (i + 1) % static_cast<std::size_t>(options_.erasedEvery) == 0) {
            memory_.EraseNewest();
        }
    }
}

void DirectInstrument::ScheduleLogging(TimeT now) {
    const TimeT step = static_cast<TimeT>(options_.loggerInterval) * 60;
    nextRecordTime_ = (InstrumentTime(now) / step + 1) * step;
}

void DirectInstrument::LogDueRecords(TimeT now) {
    const TimeT step = static_cast<TimeT>(options_.loggerInterval) * 60;
    for (int n = 0; n < kMaxCatchUpRecords && InstrumentTime(now) >= nextRecordTime_; ++n) {
        memory_.Append(ToRecordTime(nextRecordTime_), ValuesAt(nextRecordTime_));
        nextRecordTime_ += step;
    }
    if (InstrumentTime(now) >= nextRecordTime_) {
        ScheduleLogging(now);
    }
}

std::string DirectInstrument::RealtimeLine(TimeT now) {
    const TimeT time = InstrumentTime(now);
    const LocalTm tm = ToLocal(time);
    std::vector<std::string> fields;
    const std::vector<double> values = ValuesAt(time);
    for (std::size_t c = 0; c < values.size(); ++c) {
        fields.push_back(DirectLineField(values[c], options_.channels[c].decimals));
    }
    std::string line = DirectLine(FormatC("%02d/%02d/%02d", tm.day, tm.month, tm.year % 100),
                                  FormatC("%02d:%02d:%02d", tm.hour, tm.minute, tm.second), fields);
    ++linesSent_;
    if (options_.corruptEvery > 0 && linesSent_ % static_cast<uint64_t>(options_.corruptEvery) == 0) {
        const std::string good = line.substr(line.size() - 2);
        const unsigned sum = static_cast<unsigned>(std::stoul(good, nullptr, 16));
        line.replace(line.size() - 2, 2, FormatC("%02x", (sum + 1) % 256));
    }
    if (options_.strayBytes > 0 && linesSent_ % static_cast<uint64_t>(options_.strayEvery) == 0) {
        std::string stray;
        for (int i = 0; i < options_.strayBytes; ++i) {
            strayState_ = strayState_ * 6364136223846793005ull + 1442695040888963407ull;
            stray.push_back(kStrayCharacters[(strayState_ >> 33) % kStrayCharacters.size()]);
        }
        line.insert(0, stray);
    }
    // Some instruments end their lines with ETX alone.
    return line + (options_.etxLineEnds ? std::string(1, kEtx) : std::string("\r\n"));
}

std::string DirectInstrument::OnTick(TimeT now, int64_t tickMs) {
    std::string out;
    LogDueRecords(now);
    if (mode_ == Mode::Dump && tickMs - lastDumpTick_ >= kTransferSilenceMs) {
        out += sender_->OnTimeout();
        lastDumpTick_ = tickMs;
        if (sender_->Finished()) {
            Log(std::string("memory dump ended: ") + XmodemResultText(sender_->Result()));
            sender_.reset();
            mode_ = Mode::Menu;
        }
    }
    if (mode_ == Mode::Monitor && tickMs >= nextLineTick_) {
        if (!Silent(tickMs)) {
            out += RealtimeLine(now);
        }
        nextLineTick_ += options_.periodMs;
        if (nextLineTick_ <= tickMs) {
            nextLineTick_ = tickMs + options_.periodMs;
        }
    }
    return Silent(tickMs) ? std::string() : out;
}

std::string DirectInstrument::OnInput(std::string_view bytes, TimeT now, int64_t tickMs) {
    std::string out;
    if (Silent(tickMs)) {
        return out;
    }
    for (const char c : bytes) {
        HandleByte(static_cast<uint8_t>(c), now, tickMs, out);
    }
    return out;
}

void DirectInstrument::HandleByte(uint8_t byte, TimeT now, int64_t tickMs, std::string& out) {
    if (mode_ == Mode::Dump) {
        out += sender_->OnByte(byte);
        lastDumpTick_ = tickMs;
        if (sender_->Finished()) {
            Log(std::string("memory dump ended: ") + XmodemResultText(sender_->Result()));
            sender_.reset();
            mode_ = Mode::Menu;
        }
        return;
    }
    out.push_back(static_cast<char>(byte));  // every character is echoed
    if (byte == static_cast<uint8_t>(direct::kCan)) {
        mode_ = Mode::Menu;
        line_.clear();
        return;
    }
    switch (mode_) {
        case Mode::Monitor:
            Log("real-time display left");
            mode_ = Mode::Menu;
            line_.clear();
            out += "\r\n" + MenuText();
            return;
        case Mode::ClearConfirm:
        case Mode::ClearSure: {
            const bool yes = byte == 'Y' || byte == 'y';
            if (yes && mode_ == Mode::ClearConfirm) {
                mode_ = Mode::ClearSure;
                out += Reply("\r\nAre You Sure (Y/N) ?");
                return;
            }
            if (yes) {
                memory_.Clear();
                ScheduleLogging(now);
                Log("memory cleared");
                out += "\r\nMemory cleared\r\n" + MenuText();
            } else {
                out += "\r\nCancelled\r\n" + MenuText();
            }
            mode_ = Mode::Menu;
            return;
        }
        default:
            break;
    }
    if (byte == '\r') {
        const std::string text = line_;
        line_.clear();
        Submit(text, now, tickMs, out);
    } else if (byte == 8 || byte == 127) {
        if (!line_.empty()) {
            line_.pop_back();
        }
    } else if (byte != '\n' && line_.size() < kMaxInputLine) {
        line_.push_back(static_cast<char>(byte));
    }
}

std::string DirectInstrument::ChannelPrompt() const {
    return Reply(FormatC("\r\nChannel number (1-%zu) ?", options_.channels.size()));
}

void DirectInstrument::Submit(const std::string& rawText, TimeT now, int64_t tickMs, std::string& out) {
    const std::string text(Trim(rawText));
    switch (mode_) {
        case Mode::Menu:
            SubmitMenu(text, now, tickMs, out);
            return;
        case Mode::GustPeriod:
        case Mode::LoggerInterval: {
            const bool gust = mode_ == Mode::GustPeriod;
            int& setting = gust ? options_.gustPeriod : options_.loggerInterval;
            const int value = AtoI(text);
            if (!text.empty() && value >= 1 && value <= (gust ? 10 : 9999)) {
                setting = value;
                Log(FormatC("%s set to %d", gust ? "gust period" : "logging interval", value));
                if (!gust) {
                    ScheduleLogging(now);
                }
            } else if (!text.empty()) {
                out += "\r\nValue out of range";
            }
            out += "\r\n";
            mode_ = Mode::Menu;
            return;
        }
        case Mode::ClockDay:
        case Mode::ClockMonth:
        case Mode::ClockYear:
        case Mode::ClockHour:
        case Mode::ClockMinute:
            SubmitClock(text, now, out);
            return;
        case Mode::ChannelCount:
        case Mode::CounterCount:
        case Mode::ChannelNumber:
        case Mode::ChannelName:
        case Mode::ChannelType:
            SubmitChannelSetup(rawText, out);
            return;
        case Mode::CalibrationNumber:
        case Mode::CalibrationOffset:
        case Mode::CalibrationMultiplier:
            SubmitCalibration(text, out);
            return;
        default:
            return;
    }
}

void DirectInstrument::SubmitMenu(const std::string& text, TimeT now, int64_t tickMs, std::string& out) {
    if (text.empty()) {
        out += MenuText();
        return;
    }
    const int option = AtoI(text);
    Log(FormatC("option %d", option));
    const TimeT instrumentTime = InstrumentTime(now);
    switch (option) {
        case direct::kOptionGustPeriod:
            mode_ = Mode::GustPeriod;
            out += Reply(FormatC("\r\nGust period (seconds)\r\n%5d  New value ?", options_.gustPeriod));
            return;
        case direct::kOptionLoggerInterval:
            mode_ = Mode::LoggerInterval;
            out += Reply(FormatC("\r\nLogging interval (minutes)\r\n%5d  New value ?", options_.loggerInterval));
            return;
        case direct::kOptionSetClock: {
            const LocalTm tm = ToLocal(instrumentTime);
            clockFields_[0] = tm.day;
            clockFields_[1] = tm.month;
            clockFields_[2] = tm.year % 100;
            clockFields_[3] = tm.hour;
            clockFields_[4] = tm.minute;
            mode_ = Mode::ClockDay;
            out += Reply(FormatC("\r\nSet clock   %02d/%02d/%02d %02d:%02d:%02d\r\nDay ?", tm.day, tm.month,
                                 tm.year % 100, tm.hour, tm.minute, tm.second));
            return;
        }
        case direct::kOptionCalibration:
            if (options_.channels.empty()) {
                out += "\r\nNo channels\r\n" + MenuText();
                return;
            }
            mode_ = Mode::CalibrationNumber;
            out += Reply(FormatC("\r\nCalibration\r\nChannel number (1-%zu) ?", options_.channels.size()));
            return;
        case direct::kOptionSensorMonitor:
            mode_ = Mode::Monitor;
            nextLineTick_ = tickMs;
            out += Reply("\r\nSensor monitor\r\n");
            return;
        case direct::kOptionClearMemory:
            mode_ = Mode::ClearConfirm;
            out += Reply("\r\n12 Delete memory\r\nDelete all logged data (Y/N) ?");
            return;
        case direct::kOptionChannelSetup:
            mode_ = Mode::ChannelCount;
            out += Reply(FormatC("\r\nChannel set-up\r\n%5zu Channels  New value ?", options_.channels.size()));
            return;
        case direct::kOptionDumpMemory:
            mode_ = Mode::Dump;
            sender_ = std::make_unique<XmodemSender>(memory_.Bytes());
            lastDumpTick_ = tickMs;
            Log(FormatC("memory dump of %zu bytes (%zu records) waiting for the receiver", memory_.Bytes().size(),
                        memory_.RecordCount()));
            out += Reply("\r\nDump memory: start the XMODEM receive now\r\n");
            return;
        default:
            out += "\r\nInvalid option\r\n" + MenuText();
            return;
    }
}

void DirectInstrument::SubmitClock(const std::string& text, TimeT now, std::string& out) {
    static constexpr const char* kNextPrompt[] = {"Month", "Year", "Hour", "Minute"};
    const int field = static_cast<int>(mode_) - static_cast<int>(Mode::ClockDay);
    if (!text.empty()) {
        clockFields_[field] = AtoI(text);
    }
    if (mode_ != Mode::ClockMinute) {
        mode_ = static_cast<Mode>(static_cast<int>(mode_) + 1);
        out += Reply(FormatC("\r\n%s ?", kNextPrompt[field]));
        return;
    }
    mode_ = Mode::Menu;
    const int day = clockFields_[0], month = clockFields_[1], hour = clockFields_[3], minute = clockFields_[4];
    const int year = clockFields_[2] < 70 ? 2000 + clockFields_[2] : 1900 + clockFields_[2];
    if (clockFields_[2] < 0 || clockFields_[2] > 99 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
        out += Reply("\r\nInvalid date\r\n");
        return;
    }
    clockOffset_ = FromLocal(year, month, day, hour, minute, 0) - now;
    ScheduleLogging(now);
    Log(FormatC("clock set to %02d/%02d/%02d %02d:%02d:00", day, month, year % 100, hour, minute));
    out += Reply(FormatC("\r\nClock set to %02d/%02d/%02d %02d:%02d:00\r\n", day, month, year % 100, hour, minute));
}

void DirectInstrument::SubmitChannelSetup(const std::string& rawText, std::string& out) {
    const std::string text(Trim(rawText));
    const std::size_t count = options_.channels.size();
    switch (mode_) {
        case Mode::ChannelCount: {
            const int value = AtoI(text);
            std::string note;
            if (!text.empty() && value >= 1 && value <= direct::image::kMaxChannels &&
                static_cast<std::size_t>(value) != count) {
                const auto wanted = static_cast<std::size_t>(value);
                for (std::size_t c = count; c < wanted; ++c) {
                    options_.channels.push_back(
                        SimChannel{FormatC("Channel %zu", c + 1), 0, ValuePattern{}, 1, {}, {}});
                    offsets_.push_back(0);
                    multipliers_.push_back(1);
                }
                options_.channels.resize(wanted);
                offsets_.resize(wanted);
                multipliers_.resize(wanted);
                options_.floatChannels = std::min(options_.floatChannels, value);
                ApplyMemorySetup();
                Log(FormatC("channel count set to %d, memory cleared", value));
                note = "\r\nChannel count changed, memory cleared";
            } else if (!text.empty() && (value < 1 || value > direct::image::kMaxChannels)) {
                note = "\r\nValue out of range";
            }
            mode_ = Mode::CounterCount;
            out += Reply(note + FormatC("\r\n%5d Counters  New value ?", options_.counters));
            return;
        }
        case Mode::CounterCount: {
            const int value = AtoI(text);
            if (!text.empty() && value >= 0 && value <= 16) {
                options_.counters = value;
            }
            mode_ = Mode::ChannelNumber;
            out += ChannelPrompt();
            return;
        }
        case Mode::ChannelNumber: {
            const int number = AtoI(text);
            if (number < 1 || static_cast<std::size_t>(number) > count) {
                mode_ = Mode::Menu;
                out += "\r\n" + MenuText();
                return;
            }
            editChannel_ = static_cast<std::size_t>(number - 1);
            mode_ = Mode::ChannelName;
            out += Reply("\r\n" + options_.channels[editChannel_].name + "\r\n");
            return;
        }
        case Mode::ChannelName: {
            if (!text.empty()) {
                options_.channels[editChannel_].name = text.substr(0, direct::image::kNameSize - 1);
                ApplyMemorySetup();
            }
            mode_ = Mode::ChannelType;
            out += Reply(FormatC("\r\nSensor type: %u\r\n", options_.channels[editChannel_].type));
            return;
        }
        case Mode::ChannelType: {
            const int type = AtoI(text);
            if (!text.empty() && type >= 0 && type <= 255) {
                options_.channels[editChannel_].type = static_cast<uint32_t>(type);
                ApplyMemorySetup();
            }
            // After the last channel the instrument goes back to its menu without a word.
            if (editChannel_ + 1 >= count) {
                mode_ = Mode::Menu;
                out += "\r\n";
            } else {
                mode_ = Mode::ChannelNumber;
                out += ChannelPrompt();
            }
            return;
        }
        default:
            return;
    }
}

void DirectInstrument::SubmitCalibration(const std::string& text, std::string& out) {
    const std::size_t count = options_.channels.size();
    switch (mode_) {
        case Mode::CalibrationNumber: {
            const int number = AtoI(text);
            if (number < 1 || static_cast<std::size_t>(number) > count) {
                mode_ = Mode::Menu;
                out += "\r\n" + MenuText();
                return;
            }
            editChannel_ = static_cast<std::size_t>(number - 1);
            mode_ = Mode::CalibrationOffset;
            out += Reply(FormatC("\r\nOffset, channel %d (%s)\r\n%15.8f  New value ?", number,
                                 options_.channels[editChannel_].name.c_str(), offsets_[editChannel_]));
            return;
        }
        case Mode::CalibrationOffset:
            if (!text.empty()) {
                offsets_[editChannel_] = AtoF(text);
                ApplyMemorySetup();
            }
            mode_ = Mode::CalibrationMultiplier;
            out += Reply(FormatC("\r\n%15.8f  Multiplier, new value ?", multipliers_[editChannel_]));
            return;
        case Mode::CalibrationMultiplier:
            if (!text.empty() && AtoF(text) != 0) {
                multipliers_[editChannel_] = AtoF(text);
                ApplyMemorySetup();
            }
            if (editChannel_ + 1 >= count) {
                mode_ = Mode::Menu;
                out += "\r\n";
            } else {
                mode_ = Mode::CalibrationNumber;
                out += ChannelPrompt();
            }
            return;
        default:
            return;
    }
}

}  // namespace svu::sim
