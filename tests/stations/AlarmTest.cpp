#include <gtest/gtest.h>

#include "StationTestSupport.h"
#include "stations/Alarm.h"
#include "stations/WSDirect.h"

namespace svu {
namespace {

struct AlarmFixture : ::testing::Test {
    AlarmFixture() : host(FromLocal(2026, 12, 5, 10, 0, 0)), scope(&host.clock) {
        station.channelNames = {"Wind", "Temp"};
        station.rawChannelCount = station.channelCount = 2;
        station.ResetValues();
        station.logAlarms = 1;
        station.host = &host;
        auto a = std::make_unique<Alarm>();
        a->name = "Gale";
        a->enabled = 1;
        a->channel = 0;
        a->condition = Alarm::kGreater;
        a->threshold = 30.0f;
        station.alarms.push_back(std::move(a));
    }

    Alarm& alarm() { return *station.alarms[0]; }

    // One reading at the host's current time, minutes after 10:00.
    void Reading(int minute, const std::string& wind) {
        host.clock.Set(FromLocal(2026, 12, 5, 10, minute, 0));
        station.readingTime = host.clock.Now();
        station.values[0] = wind;
        station.EvaluateAlarms();
    }

    static std::string Msg(const char* what, int minute) {
        const TimeT t = FromLocal(2026, 12, 5, 10, minute, 0);
        return std::string("Alarm: \"Gale\" ") + what + " at " + FormatUserTime(t) + " on " + FormatUserDate(t) +
               "\r\n";
    }

    test::FakeHost host;
    test::ReportScope scope;
    WSDirect station{"Hilltop"};
};

TEST_F(AlarmFixture, TriggersStaysAndClearsWithoutHysteresis) {
    Reading(0, "29");
    EXPECT_FALSE(alarm().triggered);
    Reading(1, "31");
    EXPECT_TRUE(alarm().triggered);
    Reading(2, "31");
    EXPECT_TRUE(alarm().triggered);
    Reading(3, "30");
    EXPECT_FALSE(alarm().triggered);
    const std::string expected = Msg("triggered", 1) + Msg("cleared", 3);
    EXPECT_EQ(station.alarmText, expected);
    EXPECT_EQ(scope.AlarmsText(), expected);
    EXPECT_EQ(host.repaints, 2);
}

TEST_F(AlarmFixture, EqualityHoldsForTheTextsOfTheThreshold) {
    alarm().condition = Alarm::kEqual;
    alarm().threshold = 0.0f;
    Reading(0, "0.0");
    EXPECT_TRUE(alarm().triggered);
    Reading(1, "0.1");
    EXPECT_FALSE(alarm().triggered);
    alarm().threshold = 0.1f;  // the channel text "0.1" equals a threshold typed as 0.1
    Reading(2, "0.1");
    EXPECT_TRUE(alarm().triggered);
    Reading(3, "rubbish");  // not a number: 0
    EXPECT_FALSE(alarm().triggered);
}

TEST_F(AlarmFixture, ReactivationDelayCountsWholeMinutesFromTheTrigger) {
    alarm().reactivationDelay = 10;
    Reading(0, "31");
    ASSERT_TRUE(alarm().triggered);
    Reading(3, "20");
    ASSERT_FALSE(alarm().triggered);
    Reading(5, "31");
    EXPECT_FALSE(alarm().triggered);
    host.clock.Set(FromLocal(2026, 12, 5, 10, 9, 59));
    EXPECT_FALSE(alarm().TestTrigger(31, host.clock.Now()));
    Reading(10, "31");
    EXPECT_TRUE(alarm().triggered);
}

TEST_F(AlarmFixture, MailIsResentOnlyAfterTheResendDelay) {
    alarm().recipients = " ops@example.org ; duty@example.org,, ";
    alarm().kind = 0;  // an Alert
    for (int minute = 0; minute < 60; minute += 2) {
        Reading(minute, "31");
        Reading(minute + 1, "20");
    }
    ASSERT_EQ(host.mail.sent.size(), 1u);
    const MailRequest& m = host.mail.sent[0];
    EXPECT_EQ(m.recipients, (std::vector<std::string>{"ops@example.org", "duty@example.org"}));
    EXPECT_EQ(m.subject, "ALERT TRIGGERED in Stratavue by Hilltop");
    EXPECT_EQ(m.body.rfind("Alert: \"Gale\" triggered at ", 0), 0u);
    Reading(60, "31");
    EXPECT_EQ(host.mail.sent.size(), 2u);
}

TEST_F(AlarmFixture, NothingHappensWhileAllAlarmsAreDisabledOrTheChannelIsGone) {
    alarm().recipients = "ops@example.org";
    DisableAllAlarms() = 1;
    Reading(0, "31");
    EXPECT_FALSE(alarm().triggered);
    EXPECT_EQ(alarm().lastTriggerTime, FromLocal(1970, 1, 1, 0, 0, 0));
    EXPECT_TRUE(station.alarmText.empty());
    EXPECT_TRUE(host.mail.sent.empty());
    DisableAllAlarms() = 0;

    for (int channel : {-1, 2, 99}) {
        alarm().channel = channel;
        Reading(1, "31");
        EXPECT_FALSE(alarm().triggered) << channel;
    }
    alarm().channel = 0;
    alarm().enabled = 0;
    Reading(2, "31");
    EXPECT_FALSE(alarm().triggered);
    EXPECT_TRUE(scope.AlarmsText().empty());
}

TEST(AlarmCondition, ClearIsTheExactNegationOfTrigger) {
    const double values[] = {29.0, 30.0, 31.0};
    for (int condition = 0; condition <= 6; ++condition) {
        for (double v : values) {
            Alarm a;
            a.threshold = 30.0f;
            a.condition = condition;
            const bool trig = a.TestTrigger(v, 100000);
            a.triggered = 1;
            EXPECT_EQ(a.TestClear(v), condition == 6 || !trig) << condition << " " << v;
        }
    }
}

}  // namespace
}  // namespace svu
