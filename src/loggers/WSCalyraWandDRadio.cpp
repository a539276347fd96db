#include "loggers/WSCalyraWandDRadio.h"

#include <algorithm>
#include <cctype>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "platform/SerialControl.h"

namespace svu {

namespace {

constexpr const char* kLineSettings = "1200,n,8,1";
constexpr int kByteGapMs = 45;
constexpr int kAfterPreambleMs = 570;
constexpr int kLookMs = 100;
constexpr int kBeforeReadMs = 200;
constexpr int kReadStepMs = 10;
constexpr int kTextTimeoutMs = 10000;
// What switches the modem to a channel: the preamble, then 0x40, the channel and 0x95.
constexpr unsigned char kPreamble[] = {0xFF, 0xF7, 0xFF, 0xF2, 0xF2, 0xFA, 0xFA, 0xF7};
constexpr unsigned char kChannelStart = 0x40;
constexpr unsigned char kChannelEnd = 0x95;

// The logger's real-time checksum: the sum modulo 256 of every character but the last three, as
// two hexadecimal digits.
std::string RealtimeChecksum(std::string_view body) {
    unsigned sum = 0;
    for (const char ch : body) {
        sum = (sum + static_cast<unsigned char>(ch)) & 0xFFu;
    }
    constexpr char kHex[] = "0123456789ABCDEF";
    return {kHex[sum >> 4], kHex[sum & 0xF]};
}

bool SameHex(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

bool ParseWandDLine(std::string_view line, int rawChannels, TimeT& time, std::vector<std::string>& values) {
    const std::size_t slash = line.find('/');
    if (rawChannels < 0 || slash == std::string_view::npos || slash < 2) {
        return false;
    }
    line.remove_prefix(slash - 2);
    if (line.size() < 20 || line[2] != '/' || line[5] != '/' || line[13] != ':' || line[16] != ':') {
        return false;
    }
    if (static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) !=
        static_cast<std::size_t>(rawChannels) + 2) {
        return false;
    }
    if (!SameHex(RealtimeChecksum(line.substr(0, line.size() - 3)), line.substr(line.size() - 2))) {
        return false;
    }
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    time = ParseDateTime(line.substr(0, 10), line.substr(11, 8));
    values.clear();
    for (int i = 0; i < rawChannels; ++i) {
        values.emplace_back(fields[static_cast<std::size_t>(i) + 2]);
    }
    return true;
}

WSCalyraWandDRadio::WSCalyraWandDRadio() : SharedRadioStation(kTypeCode) {}

WSCalyraWandDRadio::WSCalyraWandDRadio(std::string stationName)
    : SharedRadioStation(kTypeCode, std::move(stationName)) {}

std::unique_ptr<WeatherStation> WSCalyraWandDRadio::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSCalyraWandDRadio(*this));
}

void WSCalyraWandDRadio::VisitKindFields(FieldVisitor& v) {
    v.Int32("port", port);
    v.UInt8("radioChannel", radioChannel);
}

bool WSCalyraWandDRadio::OpenRadio() {
    if (portOpen && Comm() != nullptr && Comm()->IsOpen()) {
        return true;
    }
    if (!OpenRadioPort(kLineSettings)) {
        return false;
    }
    SerialControl& comm = *Comm();
    comm.SetInputLength(0);
    comm.DiscardInput();
    comm.SetInputTimeout(kTextTimeoutMs);
    for (const unsigned char byte : kPreamble) {
        if (!Pause(kByteGapMs) || !comm.Output(std::string(1, static_cast<char>(byte)))) {
            return false;
        }
    }
    if (!Pause(kAfterPreambleMs)) {
        return false;
    }
    const unsigned char channel = static_cast<unsigned char>(std::min<int>(radioChannel, kMaxRadioChannel));
    for (const unsigned char byte : {kChannelStart, channel, kChannelEnd}) {
        if (!comm.Output(std::string(1, static_cast<char>(byte))) || !Pause(kByteGapMs)) {
            return false;
        }
    }
    return true;
}

bool WSCalyraWandDRadio::ReadRadioLine(std::string& line) {
    SerialControl& comm = *Comm();
    Clock& clock = GetClock();
    const int oldLength = comm.InputLength();
    comm.SetInputLength(1);
    const int64_t start = clock.TickMs();
    line.clear();
    bool got = false;
    while (!got && clock.TickMs() - start < kLineTimeoutMs && !StopRequested()) {
        std::string raw;
        bool ended = false;
        while (!ended && clock.TickMs() - start < kLineTimeoutMs && !StopRequested()) {
            const int byte = comm.InputByte();
            if (byte < 0) {
                clock.SleepFor(std::chrono::milliseconds(kReadStepMs));
                continue;
            }
            raw += static_cast<char>(byte);
            ended = byte == '\r';
        }
        std::erase_if(raw, [](char ch) { return ch == '\r' || ch == '\n' || ch == '\x03'; });
        line = std::move(raw);
        got = ended && !line.empty();
    }
    comm.SetInputLength(oldLength);
    return got;
}

void WSCalyraWandDRadio::RunTurn(StationHost&) {
    if (!OpenRadio()) {
        return;
    }
    const int r = std::max(rawChannelCount, 0);
    TimeT time = 0;
    std::vector<std::string> parsed;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const WaitResult waited = WaitForBytes(3 * r + 22, kLookMs, kSilentLooks);
        if (waited == WaitResult::Stopped) {
            return;
        }
        if (waited == WaitResult::Silent) {
            // Silent for a whole minute: the turn ends so that the other stations are not held up.
            ReportNoData();
            return;
        }
        std::string line;
        if (!Pause(kBeforeReadMs)) {
            return;
        }
        if (!ReadRadioLine(line) || !ParseWandDLine(line, r, time, parsed)) {
            continue;
        }
        CloseRadio();
        StoreReading(time, [&](std::vector<std::string>& table) {
            for (std::size_t i = 0; i < parsed.size() && i < table.size(); ++i) {
                table[i] = std::move(parsed[i]);
            }
        });
        return;
    }
    ReportCorrupt();
}

}  // namespace svu
