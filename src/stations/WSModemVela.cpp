#include "stations/WSModemVela.h"

#include <chrono>
#include <cmath>
#include <numbers>

#include "framework/Clock.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "platform/NamedMutex.h"
#include "platform/SerialControl.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kCannotStart = 249;
constexpr int kNoData = 555;
constexpr uint32_t kWindDirection = 3;
constexpr int kSendLimitMs = 5000;
constexpr auto kAfterClear = std::chrono::milliseconds(1000);
// "No calls in this run": a time no run reaches.
const TimeT kNever = FromLocal(2035, 12, 31, 23, 59, 59);

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

double VectorMean(double sumSin, double sumCos) {
    if (sumCos == 0.0) {
        return sumSin < 0.0 ? 270.0 : 90.0;
    }
    double degrees = std::atan2(sumSin, sumCos) * 180.0 / std::numbers::pi;
    // Rounding noise must neither show as 1E-15 nor as 360.
    degrees = std::round(degrees * 1e9) / 1e9 + 0.0;  // + 0.0 turns -0 into 0
    if (degrees < 0.0) {
        degrees += 360.0;
    }
    return degrees >= 360.0 ? 0.0 : degrees;
}

}  // namespace

std::vector<std::string> AverageVelaLines(const std::vector<std::string>& lines, int rawChannels,
                                          const std::vector<uint32_t>& channelTypes) {
    const auto r = static_cast<std::size_t>(std::max(rawChannels, 0));
    std::vector<double> sum(r, 0.0);
    std::vector<double> sumSin(r, 0.0);
    std::vector<double> sumCos(r, 0.0);
    std::vector<std::size_t> count(r, 0);
    for (const std::string& line : lines) {
        const std::vector<std::string_view> fields = Fields(line);
        for (std::size_t i = 0; i < r && i + 2 < fields.size(); ++i) {
            const double value = AtoF(fields[i + 2]);
            if (!std::isfinite(value)) {
                continue;  // an overflowing field is noise, not a reading
            }
            sum[i] += value;
            sumSin[i] += std::sin(value * std::numbers::pi / 180.0);
            sumCos[i] += std::cos(value * std::numbers::pi / 180.0);
            ++count[i];
        }
    }
    std::vector<std::string> values(r);
    for (std::size_t i = 0; i < r; ++i) {
        if (count[i] == 0) {
            continue;
        }
        const bool direction = i < channelTypes.size() && channelTypes[i] == kWindDirection;
        const double mean = direction ? VectorMean(sumSin[i], sumCos[i]) : sum[i] / static_cast<double>(count[i]);
        if (std::isfinite(mean)) {
            values[i] = FormatG5(mean);
        }
    }
    return values;
}

WSModemVela::WSModemVela() {
    typeCode = kTypeCode;
}

WSModemVela::WSModemVela(std::string stationName) : ModemStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

std::unique_ptr<WeatherStation> WSModemVela::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSModemVela(*this));
}

bool WSModemVela::Send(const std::string& command) {
    return Comm()->Output(command + "\r") && Comm()->WaitSendComplete(kSendLimitMs);
}

bool WSModemVela::StartRealtime() {
    if (!Dial(false)) {
        if (!StopRequested() && host != nullptr) {
            host->Ui().MessageBox(FormatString(kCannotStart, name.c_str()), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        }
        nextPoll = kNever;
        return true;
    }
    Send("CLEAR");
    GetClock().SleepFor(kAfterClear);
    Send("LOGON");
    nextPoll = GetClock().Now() + static_cast<TimeT>(std::max(callInterval, 1)) * 60;
    HangUp();
    return true;
}

bool WSModemVela::Call() {
    if (!Dial(false)) {
        return false;
    }
    SerialControl& line = *Comm();
    std::vector<std::string> kept;
    bool dropped = !Send("U");
    std::string text;
    line.ReadLine(text, kLineTimeoutMs);  // the heading
    while (!dropped && kept.size() < kMaxLines && !StopRequested() && line.ReadLine(text, kLineTimeoutMs)) {
        const std::string_view trimmed = Trim(text);
        // The modem's own words in the data: the line was lost in the middle of the answer.
        dropped = trimmed == "NO CARRIER";
        if (!trimmed.empty() && !dropped) {
            kept.emplace_back(trimmed);
        }
    }
    dropped = dropped || line.GetState() != SerialControl::State::Open || StopRequested() || !Send("CLAST");
    HangUp();
    if (dropped) {
        // Nothing was collected for good: the logger keeps its lines for the next call.
        ReportError(this, Str(557));
        return false;
    }
    nextPoll = ModemLine::NextOnGrid(nextPoll, GetClock().Now(), callInterval);
    if (kept.empty()) {
        ReportError(this, Str(kNoData));
        return true;
    }
    std::vector<std::string> averages = AverageVelaLines(kept, rawChannelCount, channelTypes);
    StoreReading(GetClock().Now(), [&](std::vector<std::string>& table) {
        for (std::size_t i = 0; i < averages.size() && i < table.size(); ++i) {
            table[i] = std::move(averages[i]);
        }
    });
    return true;
}

void WSModemVela::ThreadFunction(StationHost& host) {
    const std::string lockName = Line().LockName(modemName);
    {
        // The first call holds the modem like every other, so that two stations on one modem
        // cannot collide when acquisition starts.
        NamedMutex mutex(lockName);
        if (!mutex.Lock([&] { return host.StopRequested(); })) {
            ClosePort();
            return;
        }
        StartRealtime();
    }
    ModemLine::RunCalls(*this, host, lockName, nextPoll, [this] { return Call(); });
    StopRealtime();
    ClosePort();
}

}  // namespace svu
