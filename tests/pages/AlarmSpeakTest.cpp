// The "Speak" check box of "Alarm Properties": kept in the settings file by station and alarm,
// following a rename, and absent when the program has no speech.
#include <gtest/gtest.h>

#include <QAbstractButton>

#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "outputs/AlarmSpeech.h"
#include "pages/AlarmPages.h"
#include "pages/PagesTestSupport.h"
#include "pages/PropertySheet.h"
#include "stations/Alarm.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

TEST(AlarmSpeakBox, KeepsTheSettingOutsideTheAlarmAndFollowsARename) {
    test::TempDir dir;
    Settings settings(dir.Path().string());
    SpokenAlarms spoken(settings);
    test::RecordingUserInterface ui;
    WSFile station("Roof");
    Alarm alarm;
    alarm.name = "Gale";

    EXPECT_EQ(MakeAlarmSheet(nullptr, alarm, station, &ui)->findChild<QAbstractButton*>("speak"), nullptr);

    SetSpokenAlarmSettings(&spoken);
    auto sheet = MakeAlarmSheet(nullptr, alarm, station, &ui);
    auto* speak = test::Find<QAbstractButton>(sheet.get(), "speak");
    EXPECT_FALSE(speak->isChecked());  // off by default
    speak->setChecked(true);
    test::ClickOk(sheet.get());
    EXPECT_TRUE(SpokenAlarms(settings).IsSpoken("Roof", "Gale"));

    sheet = MakeAlarmSheet(nullptr, alarm, station, &ui);
    EXPECT_TRUE(test::Find<QAbstractButton>(sheet.get(), "speak")->isChecked());
    test::Type(sheet.get(), "name", "Storm");
    test::ClickOk(sheet.get());
    SetSpokenAlarmSettings(nullptr);
    EXPECT_EQ(alarm.name, "Storm");
    EXPECT_FALSE(SpokenAlarms(settings).IsSpoken("Roof", "Gale"));
    EXPECT_TRUE(SpokenAlarms(settings).IsSpoken("Roof", "Storm"));
}

}  // namespace
}  // namespace svu
