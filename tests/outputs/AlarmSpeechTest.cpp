#include <gtest/gtest.h>

#include <mutex>

#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "outputs/AlarmSpeech.h"
#include "platform/Speaker.h"
#include "stations/Alarm.h"
#include "stations/WSDirect.h"

namespace svu {
namespace {

using test::TempDir;

class FakeSpeaker : public Speaker {
public:
    bool Speak(const std::string& text, std::string& error) override {
        std::lock_guard guard(mutex);
        if (!failWith.empty()) {
            error = failWith;
            return false;
        }
        said.push_back(text);
        return true;
    }
    std::mutex mutex;
    std::vector<std::string> said;
    std::string failWith;
};

// Restores the process-wide switch whatever the test did.
struct MuteGuard {
    int32_t saved = MuteAllAlarms().load();
    ~MuteGuard() { MuteAllAlarms().store(saved); }
};

TEST(AlarmSpeech, TheTextNamesTheAlarmTheStationAndTheValue) {
    Alarm alarm;
    alarm.name = "Gale";
    EXPECT_EQ(SpokenAlarmText("Roof", alarm, "Wind speed", " 31.5 "), "Alarm Gale on Roof. Wind speed is 31.5.");
    alarm.kind = 0;
    EXPECT_EQ(SpokenAlarmText("Roof", alarm, "", "2"), "Alert Gale on Roof. The value is 2.");
    EXPECT_EQ(SpokenAlarmText("Roof", alarm, "Wind speed", ""), "Alert Gale on Roof.");
}

TEST(AlarmSpeech, OnlySpokenAlarmsAreSaidAndMuteSilencesThem) {
    MuteGuard mute;
    MuteAllAlarms().store(0);
    TempDir dir;
    Settings settings(dir.Path().string());
    SpokenAlarms spoken(settings);
    ASSERT_TRUE(spoken.SetSpoken("Roof", "Gale", true));
    // The setting is kept in the settings file, keyed by station and alarm.
    EXPECT_TRUE(SpokenAlarms(settings).IsSpoken("Roof", "Gale"));
    EXPECT_EQ(settings.GetSettingInt(kSectionSpokenAlarms, "Roof/Gale", 0), 1);
    EXPECT_FALSE(SpokenAlarms(settings).IsSpoken("Roof", "Frost"));

    FakeSpeaker speaker;
    std::vector<std::string> problems;
    AlarmSpeech speech(speaker, spoken, [&problems](const std::string& p) { problems.push_back(p); });
    WSDirect station;
    station.name = "Roof";
    station.channelNames = {"Wind speed"};
    station.values = {"31.5"};
    Alarm gale;
    gale.name = "Gale";
    gale.channel = 0;
    Alarm frost;
    frost.name = "Frost";
    frost.channel = 0;

    speech.OnAlarmTriggered(station, gale);
    speech.OnAlarmTriggered(station, frost);  // not spoken
    speech.Sync();
    ASSERT_EQ(speaker.said, std::vector<std::string>{"Alarm Gale on Roof. Wind speed is 31.5."});

    MuteAllAlarms().store(1);
    speech.OnAlarmTriggered(station, gale);
    speech.Say("queued before the mute");  // muted while waiting: not said either
    speech.Sync();
    EXPECT_EQ(speaker.said.size(), 1u);

    // A missing voice is reported once, however often it is met.
    MuteAllAlarms().store(0);
    speaker.failWith = "espeak-ng has no voice \"xx\"";
    speech.OnAlarmTriggered(station, gale);
    speech.OnAlarmTriggered(station, gale);
    speech.Sync();
    EXPECT_EQ(problems, std::vector<std::string>{"Spoken alarms: espeak-ng has no voice \"xx\""});

    ASSERT_TRUE(spoken.SetSpoken("Roof", "Gale", false));
    EXPECT_FALSE(SpokenAlarms(settings).IsSpoken("Roof", "Gale"));
}

}  // namespace
}  // namespace svu
