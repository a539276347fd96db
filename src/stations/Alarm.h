#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/LocalTime.h"
#include "framework/Serializable.h"
#include "stations/Notifications.h"

namespace svu {

class FieldVisitor;

/// A threshold condition on one channel of a station, tested after every reading. It triggers when
/// the comparison becomes true and clears when it becomes false again; "Alert" and "Alarm" differ
/// only in their messages and page colour.
class Alarm : public Serializable {
public:
    static constexpr uint16_t kSchema = 3;
    static constexpr const char* kClassName = "Alarm";

    /// Comparison of the channel value v with the threshold t.
    enum Condition : int32_t { kLess = 0, kLessEqual = 1, kEqual = 2, kNotEqual = 3, kGreaterEqual = 4, kGreater = 5 };

    Alarm();
    /// A copy of every setting and state except the mail request.
    std::unique_ptr<Alarm> Copy() const;

    const char* ClassName() const override { return kClassName; }
    uint16_t Schema() const override { return kSchema; }
    void Serialize(Archive& ar) override;
    /// The record's fields in record order (schema 2 and 3 fields only when the record has them).
    void VisitFields(FieldVisitor& v);

    /// Any kind above 0 counts as an Alarm; 0 is an Alert.
    bool IsAlarm() const { return kind > 0; }

    /// True when the alarm triggers now: not yet triggered, the reactivation delay has passed since
    /// the last trigger, and the comparison holds. Records `now` as the trigger time.
    bool TestTrigger(double value, TimeT now);
    /// True when a triggered alarm's comparison no longer holds.
    bool TestClear(double value) const;
    /// Hands an e-mail to `sender` when recipients are set and the resend delay has passed.
    /// Returns whether one was sent.
    bool Notify(const std::string& stationName, TimeT now, MailSender* sender);

    TimeT lastTriggerTime;
    uint16_t reactivationDelay = 0;  // minutes
    uint16_t resendDelay = 60;       // minutes
    uint16_t recordLength = 10;      // seconds
    std::string recordFolder = "c:\\";
    int32_t recordRate = 8000;
    uint16_t recordBits = 8;
    int32_t recordSound = 0;
    int32_t triggered = 0;
    std::string name;
    int32_t channel = -1;
    float threshold = 0.0f;
    int32_t enabled = 0;
    int32_t condition = kGreater;
    int32_t kind = 1;
    std::string recipients;
    TimeT lastMailTime;
    MailRequest mail;

private:
    Alarm(const Alarm&) = default;
    bool Holds(double value) const;
};

/// The recipients of a comma-separated list, each trimmed of spaces; empty entries are dropped.
std::vector<std::string> SplitRecipients(const std::string& list);

}  // namespace svu
