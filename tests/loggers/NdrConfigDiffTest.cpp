// What an upload would change, named for a person.

#include <gtest/gtest.h>

#include "loggers/NdrConfig.h"
#include "loggers/NdrConfigDiff.h"

namespace svu {
namespace {

using Change = NdrConfigDiff::Change;

TEST(NdrConfigDiff, NamesEachChangedSettingWithItsOldAndNewText) {
    NDR before;
    before.alarms[6].channelList[1] = 1;
    NDR after = before;
    EXPECT_TRUE(NdrConfigDiff::Between(before, after).empty());
    EXPECT_EQ(NdrConfigDiff::Text({}), "No settings differ.\n");

    after.comms[1].parity = 2;
    after.dataChannels.channels[4].unit = "km/h";
    after.dataChannels.channels[4].type = 1;
    after.dataChannels.channels[4].polynomial[1] = 0.1;
    after.alarms[6].channelList[4] = after.alarms[6].channelList[63] = 1;
    after.alarms[6].sound = 1;
    after.logRate = 3725;
    after.specialCommands = "a\nb\n";
    const std::vector<Change> changes = NdrConfigDiff::Between(before, after);
    const std::vector<Change> expected = {
        {"Serial port 2 parity", "none", "even"},
        {"Channel 5 unit", "", "km/h"},
        {"Channel 5 polynomial", "0,1,0,0,0,0,0,0", "0,0.1,0,0,0,0,0,0"},
        {"Channel 5 type", "analogue", "counter"},
        {"Alarm 7 sound", "disabled", "enabled"},
        {"Alarm 7 channel list", "2", "2,5,64"},
        {"Normal log rate", "00h10m00s", "01h02m05s"},
        {"Special commands", "", "a\nb\n"},
    };
    EXPECT_EQ(changes, expected);
    const std::string text = NdrConfigDiff::Text(changes);
    EXPECT_NE(text.find("Alarm 7 channel list: \"2\" -> \"2,5,64\"\n"), std::string::npos);
    EXPECT_NE(text.find("Special commands: \"\" -> \"a\\nb\\n\"\n"), std::string::npos);
}

}  // namespace
}  // namespace svu
