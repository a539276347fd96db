#include "loggers/WSRadioModemVela.h"

#include <cmath>

#include "framework/FieldVisitor.h"
#include "framework/TextUtil.h"
#include "platform/SerialControl.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr int kSendOnlySettleMs = 90;
constexpr int kAfterOpenMs = 1000;
constexpr int kAfterCommandMs = 500;
constexpr int kLookMs = 50;
constexpr int kBeforeReadMs = 200;
constexpr double kBaseFrequency = 458.525;  // MHz, channel 0
constexpr double kChannelsPerMHz = 40.0;    // 25 kHz steps
constexpr std::string_view kLineCharacters = "1234567890-/,:.";

int Number(std::string_view text, std::size_t at, std::size_t length) {
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::string VelaTuneCommand(float frequency, int radioType) {
    const double c = (static_cast<double>(frequency) - kBaseFrequency) * kChannelsPerMHz + 0.5;
    if (radioType == 0) {
        const double code = std::trunc(2.0 * c + 2.0);
        if (!(code >= 0.0 && code <= 255.0)) {
            return {};
        }
        return std::string("ATX") + static_cast<char>(static_cast<unsigned char>(code));
    }
    const double digits = std::trunc(c + 1.0);
    if (!(digits >= 0.0 && digits <= 99.0)) {
        return {};
    }
    return FormatC("ATX%02i", static_cast<int>(digits));
}

std::string AlignVelaReply(std::string_view reply) {
    std::string line;
    for (const char ch : reply) {
        // A line end from the remote is not part of the reading.
        if (ch != '\r' && ch != '\n' && ch != '\x03') {
            line += ch;
        }
    }
    const std::size_t slash = line.find('/');
    if (slash != std::string::npos && slash > 2) {
        line.erase(0, slash - 2);
    }
    return line;
}

bool ParseVelaRadioLine(std::string_view line, int rawChannels, TimeT& time, std::vector<std::string>& values) {
    if (rawChannels < 0 || line.size() < 2 * static_cast<std::size_t>(rawChannels) + 19) {
        return false;
    }
    if (line.size() < 20 || line[2] != '/' || line[5] != '/' || line[10] != ',' || line[13] != ':' || line[16] != ':' ||
        line[19] != ',') {
        return false;
    }
    std::size_t commas = 0;
    for (const char ch : line) {
        if (kLineCharacters.find(ch) == std::string_view::npos) {
            return false;  // also keeps out character 5
        }
        commas += ch == ',' ? 1 : 0;
    }
    if (commas != static_cast<std::size_t>(rawChannels) + 1) {
        return false;
    }
    const int day = Number(line, 0, 2);
    const int month = Number(line, 3, 2);
    const int year = Number(line, 6, 4);
    const int hour = Number(line, 11, 2);
    const int minute = Number(line, 14, 2);
    const int second = Number(line, 17, 2);
    if (day < 1 || day > 31 || month < 1 || month > 12 || year < 2000 || year > 2038 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59) {
        return false;
    }
    time = ParseDateTime(line.substr(0, 10), line.substr(11, 8));
    values.assign(static_cast<std::size_t>(rawChannels), std::string());
    std::size_t start = 20;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t comma = line.find(',', start);
        const bool last = i + 1 == values.size();
        const std::size_t end = last || comma == std::string_view::npos ? line.size() : comma;
        values[i] = std::string(line.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

WSRadioModemVela::WSRadioModemVela() : SharedRadioStation(kTypeCode) {}

WSRadioModemVela::WSRadioModemVela(std::string stationName) : SharedRadioStation(kTypeCode, std::move(stationName)) {}

WSRadioModemVela::WSRadioModemVela(int32_t kindCode, std::string stationName)
    : SharedRadioStation(kindCode, std::move(stationName)) {}

std::unique_ptr<WeatherStation> WSRadioModemVela::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSRadioModemVela(*this));
}

void WSRadioModemVela::VisitKindFields(FieldVisitor& v) {
    v.Int32("baudRate", baudRate);
    v.Int32("port", port);
    v.Int32("address", address);
    v.Float("frequency", frequency);
    v.Int32("extra", extra);
    if (!v.IsLoading() || v.Schema() >= 9) {
        v.Int32("radioType", radioType);
    } else {
        radioType = 0;
    }
}

bool WSRadioModemVela::SendOnly(const std::string& command) {
    return SendModemCommand(command);
}

bool WSRadioModemVela::SendModemCommand(const std::string& command) {
    SerialControl* comm = Comm();
    if (comm == nullptr || !comm->Output(command)) {
        return false;
    }
    Pause(kSendOnlySettleMs);
    comm->DiscardInput();
    return true;
}

bool WSRadioModemVela::TuneRadio() {
    if (portOpen && Comm() != nullptr && Comm()->IsOpen()) {
        return true;
    }
    if (!OpenRadioPort(FormatC("%i,n,8,1", static_cast<int>(baudRate)))) {
        return false;
    }
    Comm()->SetInputLength(0);
    const std::string tune = VelaTuneCommand(frequency, radioType);
    if (tune.empty()) {
        ReportError(this, FormatC("The frequency %.3f MHz cannot be tuned", static_cast<double>(frequency)));
        return false;
    }
    return Pause(kAfterOpenMs) && SendModemCommand(tune) && Pause(kAfterCommandMs) &&
           SendModemCommand(FormatC("ATT%02i", static_cast<int>(TransmitAddress()))) && Pause(kAfterCommandMs) &&
           SendModemCommand(FormatC("ATR%02i", static_cast<int>(address))) && Pause(kAfterCommandMs);
}

void WSRadioModemVela::RunTurn(StationHost&) {
    if (!TuneRadio()) {
        ReleaseRadio();
        return;
    }
    SerialControl& comm = *Comm();
    comm.DiscardInput();
    const int r = std::max(rawChannelCount, 0);
    TimeT time = 0;
    std::vector<std::string> parsed;
    bool ok = false;
    for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
        const WaitResult waited = WaitForBytes(2 * r + 19, kLookMs, kSilentLooks);
        if (waited == WaitResult::Stopped) {
            ReleaseRadio();
            return;
        }
        if (waited == WaitResult::Silent) {
            // A remote that says nothing for the whole wait will not say more at the next one:
            // the turn ends so that the other stations are not held up.
            ReportNoData();
            ReleaseRadio();
            return;
        }
        if (!Pause(kBeforeReadMs)) {
            ReleaseRadio();
            return;
        }
        ok = ParseVelaRadioLine(AlignVelaReply(comm.Input()), r, time, parsed);
    }
    ReleaseRadio();
    if (!ok) {
        ReportCorrupt();
        return;
    }
    StoreReading(time, [&](std::vector<std::string>& table) {
        for (std::size_t i = 0; i < parsed.size() && i < table.size(); ++i) {
            table[i] = std::move(parsed[i]);
        }
    });
}

}  // namespace svu
