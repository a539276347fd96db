// Deleting a station in "Monitoring Systems" takes its alarms' Speak settings with it, so that a
// station given its name later starts with nothing spoken; another station of the same name keeps
// them.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>

#include "app/StationsDialog.h"
#include "framework/ClassRegistry.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "outputs/AlarmSpeech.h"
#include "pages/AlarmPages.h"
#include "runtime/ClassTables.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

TEST(SpokenAlarmsDelete, ADeletedStationTakesItsSettingsUnlessItsNameLivesOn) {
    test::TempDir dir;
    Settings settings(dir.Path().string());
    SpokenAlarms spoken(settings);
    SetSpokenAlarmSettings(&spoken);
    ClassRegistry classes;
    RegisterAllClasses(classes);
    test::RecordingUserInterface ui;
    StationList stations;
    for (const char* name : {"Roof", "Roof", "Yard"}) {
        stations.push_back(std::make_unique<WSFile>(name));
    }
    spoken.SetSpoken("Roof", "Gale", true);
    spoken.SetSpoken("Yard", "Frost", true);
    spoken.SetSpoken("Yardarm", "Frost", true);  // a name that merely starts alike
    int selection = -1;
    StationsDialog dialog(nullptr, stations, classes, ui, selection);
    const auto remove = [&](int row) {
        dialog.List()->setCurrentRow(row);
        ui.Answer(MsgResult::Yes);
        dialog.DeleteButton()->click();
    };

    remove(0);  // the other "Roof" still speaks "Gale"
    remove(1);
    SetSpokenAlarmSettings(nullptr);
    ASSERT_EQ(stations.size(), 1u);
    SpokenAlarms reread(settings);
    EXPECT_TRUE(reread.IsSpoken("Roof", "Gale"));
    EXPECT_FALSE(reread.IsSpoken("Yard", "Frost"));
    EXPECT_TRUE(reread.IsSpoken("Yardarm", "Frost"));
}

}  // namespace
}  // namespace svu
