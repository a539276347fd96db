// The Direct station's instrument operations on the user-interface thread: clearing its memory,
// its logging settings and clock, reading and writing its channel set-up, and the memory download.

#include <algorithm>
#include <bit>
#include <chrono>

#include "framework/AtomicFile.h"
#include "framework/Clock.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "platform/SerialControl.h"
#include "stations/RawChannels.h"
#include "stations/StationReports.h"
#include "stations/WSDirect.h"

namespace svu {

namespace {

using namespace direct;

constexpr const char* kCaption = "Stratavue";
constexpr int kDownloadFailed = 238;
constexpr int kClearAfterChange = 231;
constexpr int kClearFailed = 232;
constexpr auto kDumpSettle = std::chrono::milliseconds(200);
constexpr auto kClockWaitStep = std::chrono::milliseconds(10);
constexpr int64_t kClockWaitLimitMs = 61000;
constexpr int64_t kProgressPeriodMs = 1000;

// Channels the instrument has calibration room for.
constexpr int kMaxInstrumentChannels = image::kMaxChannels;

uint32_t FloatBits(double value) {
    return std::bit_cast<uint32_t>(static_cast<float>(value));
}

double BitsFloat(const std::vector<uint32_t>& table, int index, double fallback) {
    return index < static_cast<int>(table.size()) ? std::bit_cast<float>(table[static_cast<std::size_t>(index)])
                                                  : fallback;
}

}  // namespace

// ---- Instrument operations ---------------------------------------------------------------------

bool WSDirect::ClearMemory() {
    cancelled_ = false;
    if (!OpenPort()) {
        return Finish(false, false);
    }
    std::string reply;
    const bool ok = OpenOption(kOptionClearMemory, reply) &&
                    (reply.find(kDeleteHeading) != std::string::npos || InvalidResponse()) && SendCharEcho('Y') &&
                    ReadReply(reply) && (reply.find(kAreYouSure) != std::string::npos || InvalidResponse()) &&
                    SendCharEcho('Y') && ReadReply(reply);
    return Finish(ok, !ok);
}

bool WSDirect::GetSetting(int option, int& value) {
    std::string reply;
    double number = 0;
    if (!OpenOption(option, reply)) {
        return false;
    }
    if (!ParseNumberAfterLineFeed(reply, number)) {
        return InvalidResponse();
    }
    // Leave the setting as it is.
    if (!SendCharEcho(kCr)) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

bool WSDirect::SetSetting(int option, int value) {
    std::string reply;
    return OpenOption(option, reply) && SendText(NumberCommand(value));
}

void WSDirect::GetLoggerInterval(int& minutes) {
    cancelled_ = false;
    int value = 0;
    if (Finish(OpenPort() && GetSetting(kOptionLoggerInterval, value))) {
        minutes = loggerInterval = value;
    }
}

void WSDirect::SetLoggerInterval(int minutes) {
    cancelled_ = false;
    Finish(OpenPort() && SetSetting(kOptionLoggerInterval, minutes));
}

void WSDirect::GetGustPeriod(int& seconds) {
    cancelled_ = false;
    int value = 0;
    if (Finish(OpenPort() && GetSetting(kOptionGustPeriod, value))) {
        seconds = gustPeriod = value;
    }
}

void WSDirect::SetGustPeriod(int seconds) {
    cancelled_ = false;
    Finish(OpenPort() && SetSetting(kOptionGustPeriod, seconds));
}

void WSDirect::SetClock() {
    cancelled_ = false;
    std::string reply;
    if (!OpenPort() || !OpenOption(kOptionSetClock, reply)) {
        Finish(false);
        return;
    }
    // The instrument takes whole minutes: start one as the computer's does.
    Clock& clock = GetClock();
    const int64_t giveUp = clock.TickMs() + kClockWaitLimitMs;
    while (ToLocal(clock.Now()).second != 0 && clock.TickMs() < giveUp) {
        clock.SleepFor(kClockWaitStep);
    }
    const LocalTm now = ToLocal(clock.Now());
    bool ok = true;
    for (const int field : {now.day, now.month, now.year % 100, now.hour, now.minute}) {
        ok = ok && SendText(NumberCommand(field)) && ReadReply(reply);
    }
    Finish(ok, !ok);
}

bool WSDirect::ReadConfiguration() {
    cancelled_ = false;
    if (!OpenPort()) {
        return Finish(false, false);
    }
    std::string reply;
    int c = 0;
    int counters = 0;
    if (!OpenOption(kOptionChannelSetup, reply)) {
        return Finish(false);
    }
    if (!ParseCountBefore(reply, "Channels", c) || c < 0 || c > kMaxInstrumentChannels) {
        return Finish(InvalidResponse());
    }
    if (!SendCharEcho(kCr) || !ReadReply(reply)) {
        return Finish(false);
    }
    if (!ParseCountBefore(reply, "Counters", counters)) {
        return Finish(InvalidResponse());
    }
    if (!SendCharEcho(kCr)) {
        return Finish(false);
    }
    // Everything is read before anything is changed, so a failed read leaves the station as it was.
    std::vector<std::string> names;
    std::vector<uint32_t> types;
    for (int i = 1; i <= c; ++i) {
        int type = 0;
        if (!ReadReply(reply) || !SendText(NumberCommand(i)) || !ReadReply(reply)) {
            return Finish(false);
        }
        names.push_back(ParseChannelName(reply));
        if (!SendCharEcho(kCr) || !ReadReply(reply)) {
            return Finish(false);
        }
        if (!ParseTypeCode(reply, type)) {
            return Finish(InvalidResponse());
        }
        types.push_back(static_cast<uint32_t>(type));
        if (!SendCharEcho(kCr)) {
            return Finish(false);
        }
    }
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> multipliers;
    if (!EnterMenu() || !SendText(NumberCommand(kOptionCalibration))) {
        return Finish(false);
    }
    for (int i = 1; i <= c; ++i) {
        double offset = 0;
        if (!ReadReply(reply) || !SendText(NumberCommand(i)) || !ReadReply(reply)) {
            return Finish(false);
        }
        if (!ParseNumberAfterLineFeed(reply, offset)) {
            return Finish(InvalidResponse());
        }
        if (!SendCharEcho(kCr) || !ReadReply(reply)) {
            return Finish(false);
        }
        offsets.push_back(FloatBits(offset));
        multipliers.push_back(FloatBits(ParseLeadingNumber(reply)));
        if (!SendCharEcho(kCr)) {
            return Finish(false);
        }
    }
    if (!SendCharEcho(kCr) || !ReadReply(reply)) {
        return Finish(false);
    }

    std::lock_guard guard(lock);
    ChangeRawChannelCount(*this, c);
    counterCount = counters;
    for (int i = 0; i < c; ++i) {
        const auto at = static_cast<std::size_t>(i);
        channelNames[at] = names[at];
        channelTypes[at] = types[at];
        channelOffsets[at] = offsets[at];
        channelMultipliers[at] = multipliers[at];
    }
    return Finish(true);
}

bool WSDirect::WriteConfiguration() {
    cancelled_ = false;
    if (!OpenPort()) {
        return Finish(false, false);
    }
    const int r = rawChannelCount;
    std::string reply;
    bool ok = OpenOption(kOptionChannelSetup, reply) && SendText(NumberCommand(r)) && ReadReply(reply) &&
              SendText(NumberCommand(counterCount));
    for (int i = 1; ok && i <= r; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        std::string name = at < channelNames.size() ? channelNames[at] : std::string();
        StripControlChars(name);
        const int type = at < channelTypes.size() ? static_cast<int>(channelTypes[at]) : 0;
        ok = ReadReply(reply) && SendText(NumberCommand(i)) && ReadReply(reply) && SendText(name + kCr) &&
             ReadReply(reply) && SendText(NumberCommand(type));
    }
    ok = ok && EnterMenu() && SendText(NumberCommand(kOptionCalibration));
    for (int i = 1; ok && i <= r; ++i) {
        ok = ReadReply(reply) && SendText(NumberCommand(i)) && ReadReply(reply) &&
             SendText(CalibrationCommand(BitsFloat(channelOffsets, i - 1, 0.0))) && ReadReply(reply) &&
             SendText(CalibrationCommand(BitsFloat(channelMultipliers, i - 1, 1.0)));
    }
    ok = ok && SendCharEcho(kCr) && ReadReply(reply);
    if (!ok) {
        return Finish(false);
    }
    if (Ui().MessageBox(Str(kClearAfterChange), kCaption, MsgButtons::YesNo, MsgIcon::Question) == MsgResult::Yes &&
        !ClearMemory()) {
        Ui().MessageBox(Str(kClearFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
    }
    return Finish(true);
}

void WSDirect::Download(const std::string& targetPath) {
    cancelled_ = false;
    UserInterface& ui = Ui();
    ui.BeginWaitCursor();
    const auto fail = [&] {
        ui.EndWaitCursor();
        ui.MessageBox(Str(kDownloadFailed), kCaption, MsgButtons::Ok, MsgIcon::Stop);
        Finish(false);
    };
    std::string reply;
    if (!OpenPort() || !EnterMenu() || !SendText(NumberCommand(kOptionDumpMemory))) {
        fail();
        return;
    }
    Clock& clock = GetClock();
    clock.SleepFor(kDumpSettle);
    if (!ReadReply(reply)) {
        fail();
        return;
    }
    int64_t lastProgress = clock.TickMs();
    std::vector<uint8_t> image;
    const XmodemResult result = serial_.Get()->ReceiveXmodem(image, [&](std::size_t received) {
        if (clock.TickMs() - lastProgress >= kProgressPeriodMs) {
            lastProgress = clock.TickMs();
            ui.ShowProgress(FormatC("%zu bytes received", received));
        }
    });
    std::string text;
    std::string why;
    if (result != XmodemResult::Ok) {
        ReportError(this, serial_.Get()->LastErrorText());
        fail();
        return;
    }
    if (!ConvertMemoryImage(image, ToLocal(clock.Now()).year, text, &why)) {
        ReportError(this, "Downloaded memory image: " + why);
        fail();
        return;
    }
    if (!WriteFileAtomically(targetPath, text, &why)) {
        ReportError(this, why);
        fail();
        return;
    }
    ui.EndWaitCursor();
    Finish(true);
}

}  // namespace svu
