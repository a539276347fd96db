// The "Speak" check box of "Alarm Properties": kept in the settings file by station and alarm,
// following a rename of the alarm or of its station, gone with a deleted alarm, and absent when
// the program has no speech.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QListWidget>

#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "outputs/AlarmSpeech.h"
#include "pages/AlarmPages.h"
#include "pages/PagesTestSupport.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"
#include "stations/Alarm.h"
#include "stations/StationFile.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

TEST(AlarmSpeakBox, SetsTheCallersFlagAndWritesNoSettingItself) {
    test::TempDir dir;
    Settings settings(dir.Path().string());
    SpokenAlarms spoken(settings);
    test::RecordingUserInterface ui;
    WSFile station("Roof");
    Alarm alarm;
    alarm.name = "Gale";
    bool speak = false;

    // Without speech in the program there is no box.
    EXPECT_EQ(MakeAlarmSheet(nullptr, alarm, station, &ui, &speak)->findChild<QAbstractButton*>("speak"), nullptr);

    SetSpokenAlarmSettings(&spoken);
    auto sheet = MakeAlarmSheet(nullptr, alarm, station, &ui, &speak);
    auto* box = test::Find<QAbstractButton>(sheet.get(), "speak");
    EXPECT_FALSE(box->isChecked());  // off by default
    box->setChecked(true);
    test::ClickOk(sheet.get());
    SetSpokenAlarmSettings(nullptr);
    EXPECT_TRUE(speak);
    EXPECT_FALSE(SpokenAlarms(settings).IsSpoken("Roof", "Gale")) << "written only when the station is applied";
}

// A station sheet closed with OK: the deleted alarm's setting goes, the others follow the new
// station name (the third alarm's staying with it as it becomes the second), as does one set and
// renamed in "Alarm Properties" meanwhile; Cancel writes none of it.
TEST(AlarmSpeakBox, SettingsFollowTheStationSheetOnlyWhenApplied) {
    test::TempDir dir;
    Settings settings(dir.Path().string());
    SpokenAlarms spoken(settings);
    SetSpokenAlarmSettings(&spoken);
    test::RecordingUserInterface ui;
    StationList stations;
    stations.push_back(std::make_unique<WSFile>("Roof"));
    WeatherStation& roof = *stations.back();
    for (const char* name : {"Gale", "Rain", "Frost"}) {
        roof.alarms.push_back(std::make_unique<Alarm>());
        roof.alarms.back()->name = name;
    }
    spoken.SetSpoken("Roof", "Rain", true);
    spoken.SetSpoken("Roof", "Frost", true);
    spoken.SetSpoken("Attic", "Gale", true);  // left by a station deleted before this code existed
    StationPagesContext context;
    context.stations = &stations;
    context.ui = &ui;

    const auto editRoof = [&](bool ok) {
        auto sheet = MakeStationSheet(nullptr, roof, false, context);
        test::Type(sheet.get(), "name", "Attic");
        test::Find<QListWidget>(sheet.get(), "alarmList")->setCurrentRow(0);
        test::WhenModal([](QWidget* dialog) {
            test::Type(dialog, "name", "Storm");
            test::Find<QAbstractButton>(dialog, "speak")->setChecked(true);
            test::ClickOk(dialog);
        });
        test::Click(sheet.get(), "alarmProperties");
        test::Find<QListWidget>(sheet.get(), "alarmList")->setCurrentRow(1);
        ui.Answer(MsgResult::Yes);
        test::Click(sheet.get(), "deleteAlarm");
        ok ? test::ClickOk(sheet.get()) : test::ClickCancel(sheet.get());
    };
    editRoof(false);
    EXPECT_EQ(roof.name, "Roof");
    EXPECT_EQ(roof.alarms.size(), 3u);
    EXPECT_TRUE(SpokenAlarms(settings).IsSpoken("Roof", "Rain"));
    EXPECT_FALSE(SpokenAlarms(settings).IsSpoken("Roof", "Storm"));

    editRoof(true);
    SetSpokenAlarmSettings(nullptr);
    ASSERT_EQ(roof.name, "Attic");
    ASSERT_EQ(roof.alarms.size(), 2u);
    ASSERT_EQ(roof.alarms[1]->name, "Frost");
    SpokenAlarms reread(settings);
    EXPECT_TRUE(reread.IsSpoken("Attic", "Storm"));
    EXPECT_FALSE(reread.IsSpoken("Attic", "Gale"));
    EXPECT_TRUE(reread.IsSpoken("Attic", "Frost"));
    EXPECT_FALSE(reread.IsSpoken("Attic", "Rain"));
    for (const char* name : {"Storm", "Rain", "Frost"}) {
        EXPECT_FALSE(reread.IsSpoken("Roof", name)) << name;
    }
}

}  // namespace
}  // namespace svu
