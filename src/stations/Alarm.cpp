#include "stations/Alarm.h"

#include "framework/Archive.h"
#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kAlarmTriggered = 152;
constexpr int kAlertTriggered = 236;
constexpr int kAlarmCleared = 161;
constexpr int kAlertCleared = 242;
constexpr int kAlarmMailSubject = 243;
constexpr int kAlertMailSubject = 244;

std::string Message(int id, const Alarm& alarm, TimeT time) {
    return FormatString(id, alarm.name, FormatUserTime(time), FormatUserDate(time));
}

}  // namespace

Alarm::Alarm() : lastTriggerTime(FromLocal(1970, 1, 1, 0, 0, 0)), lastMailTime(lastTriggerTime) {}

std::unique_ptr<Alarm> Alarm::Copy() const {
    std::unique_ptr<Alarm> copy(new Alarm(*this));
    copy->mail = MailRequest{};
    return copy;
}

void Alarm::Serialize(Archive& ar) {
    ArchiveFieldVisitor v(ar, kSchema);
    VisitFields(v);
}

void Alarm::VisitFields(FieldVisitor& v) {
    v.String("name", name);
    v.Float("threshold", threshold);
    v.Bool32("enabled", enabled);
    v.Int32("channel", channel);
    v.Int32("condition", condition);
    v.Int32("kind", kind);
    v.String("recipients", recipients);
    if (v.Schema() >= 2) {
        v.UInt16("recordLength", recordLength);
        v.String("recordFolder", recordFolder);
        v.Int32("recordRate", recordRate);
        v.UInt16("recordBits", recordBits);
        v.Bool32("recordSound", recordSound);
    }
    if (v.Schema() >= 3) {
        v.UInt16("reactivationDelay", reactivationDelay);
        v.UInt16("resendDelay", resendDelay);
    }
}

// Channel values and the threshold are compared at the threshold's own precision, so that a
// channel showing "0.1" equals a threshold typed as 0.1.
bool Alarm::Holds(double value) const {
    const float v = static_cast<float>(value);
    switch (condition) {
        case kLess:
            return v < threshold;
        case kLessEqual:
            return v <= threshold;
        case kEqual:
            return v == threshold;
        case kNotEqual:
            return v != threshold;
        case kGreaterEqual:
            return v >= threshold;
        case kGreater:
            return v > threshold;
        default:
            return false;
    }
}

bool Alarm::TestTrigger(double value, TimeT now) {
    if (triggered) {
        return false;
    }
    if ((now - lastTriggerTime) / 60 < reactivationDelay) {
        return false;
    }
    if (!Holds(value)) {
        return false;
    }
    lastTriggerTime = now;
    return true;
}

bool Alarm::TestClear(double value) const {
    if (!triggered) {
        return false;
    }
    if (condition < kLess || condition > kGreater) {
        return true;
    }
    return !Holds(value);
}

bool Alarm::Notify(const std::string& stationName, TimeT now, MailSender* sender) {
    if (recipients.empty()) {
        return false;
    }
    if ((now - lastMailTime) / 60 < resendDelay) {
        return false;
    }
    lastMailTime = now;
    mail.recipients = SplitRecipients(recipients);
    mail.subject = FormatString(IsAlarm() ? kAlarmMailSubject : kAlertMailSubject, stationName);
    mail.body = Message(IsAlarm() ? kAlarmTriggered : kAlertTriggered, *this, now);
    if (sender == nullptr) {
        return false;
    }
    sender->Send(mail);  // the sender works on its own copy
    return true;
}

std::vector<std::string> SplitRecipients(const std::string& list) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(",;", start);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string_view part = Trim(std::string_view(list).substr(start, end - start));
        if (!part.empty()) {
            result.emplace_back(part);
        }
        start = end + 1;
    }
    return result;
}

void WeatherStation::EvaluateAlarms() {
    if (DisableAllAlarms().load(std::memory_order_relaxed) != 0 || alarms.empty()) {
        return;
    }
    const TimeT now = GetClock().Now();
    for (const auto& alarmPtr : alarms) {
        Alarm& alarm = *alarmPtr;
        if (!alarm.enabled) {
            continue;
        }
        // After channels were removed an alarm may point past the table; it has nothing to test.
        if (alarm.channel < 0 || alarm.channel >= channelCount || static_cast<size_t>(alarm.channel) >= values.size()) {
            continue;
        }
        const double v = ChannelNumber(static_cast<size_t>(alarm.channel));
        if (alarm.TestTrigger(v, now)) {
            const std::string message =
                Message(alarm.IsAlarm() ? kAlarmTriggered : kAlertTriggered, alarm, readingTime);
            alarmText += message;
            alarm.triggered = 1;
            if (host != nullptr) {
                host->OnAlarmStateChanged(*this);
            }
            alarm.Notify(name, now, host != nullptr ? host->Mail() : nullptr);
            if (logAlarms) {
                AppendAlarmsFile(message);
            }
            if (alarm.recordSound && host != nullptr && host->SoundRecorder() != nullptr) {
                host->SoundRecorder()->Record(
                    {name, alarm.name, alarm.recordFolder, alarm.recordLength, alarm.recordRate, alarm.recordBits});
            }
            if (host != nullptr) {
                host->OnAlarmTriggered(*this, alarm);
            }
        } else if (alarm.TestClear(v)) {
            const std::string message = Message(alarm.IsAlarm() ? kAlarmCleared : kAlertCleared, alarm, readingTime);
            alarmText += message;
            alarm.triggered = 0;
            if (host != nullptr) {
                host->OnAlarmStateChanged(*this);
            }
            if (logAlarms) {
                AppendAlarmsFile(message);
            }
        }
    }
}

}  // namespace svu
