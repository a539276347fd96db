#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/RuntimeCliSupport.h"
#include "framework/LocalTime.h"
#include "framework/StringTable.h"
#include "historic/DayFiles.h"

namespace svu {
namespace {

class RainfallCli : public ::testing::Test {
protected:
    RainfallCli() {
        std::filesystem::create_directories(folder.File("logs"));
        StationList stations;
        stations.push_back(folder.HillStation());
        folder.Save(stations);
        // Every day of June 2026 but the 3rd ends with 1.0 on the rain channel (channel 3).
        for (CalendarDay day{2026, 6, 1}; day.month == 6; day = NextDay(day)) {
            if (day.day != 3) {
                test::WriteFileBytes(
                    DayFilePath(folder.File("logs"), "Hill", day),
                    "4\r\nDate\r\nTime\r\nTemp\r\nRain\r\nx, y, a, b, 5, 0.5\r\nx, y, a, b, 5, 1.0\r\n");
            }
        }
    }
    test::CliResult Rain(std::vector<std::string> words) {
        words.insert(words.begin(), {"--program-dir", folder.Path(), "rainfall"});
        return test::RunCli(words);
    }
    // The week from `start` of Hill's `channel`, logged and shown in the given units.
    test::CliResult Weekly(const std::string& channel, const std::string& logged, const std::string& display,
                           const std::string& start, const std::string& station = "Hill") {
        return Rain({"weekly", "--station", station, "--channel", channel, "--logged", logged, "--display", display,
                     "--start", start});
    }

    test::ProgramFolder folder;
};

TEST_F(RainfallCli, PrintsTheResultBoxText) {
    const std::string note = "\n\nNOTE: data is not available for all days!\n";
    test::CliResult r = Weekly("3", "mm", "mm", "2026-06-08");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Starting " + FormatUserDate(NoonOf({2026, 6, 8})) + ": 7.00 mm\n");
    r = Weekly("Rain", "inches", "mm", "2026-06-01");
    EXPECT_EQ(r.out, "Starting " + FormatUserDate(NoonOf({2026, 6, 1})) + ": 152.40 mm" + note);
    r = Rain({"monthly", "--station", "Hill", "--channel", "3", "--logged", "mm", "--display", "cm", "--month", "6",
              "--year", "2026"});
    EXPECT_EQ(r.out, "Starting " + FormatUserDate(NoonOf({2026, 6, 1})) + ": 2.90 cm" + note);
}

TEST_F(RainfallCli, UnknownStationOrChannelIsAOneLineErrorWithExitTwo) {
    test::CliResult r = Weekly("3", "mm", "mm", "2026-06-08", "Nope");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "stratavue-cli rainfall: no station named \"Nope\"\n");
    r = Weekly("4", "mm", "mm", "2026-06-08");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "stratavue-cli rainfall: station \"Hill\" has no channel 4\n");
    EXPECT_EQ(Weekly("3", "feet", "mm", "2026-06-08").code, 2);
    EXPECT_EQ(Weekly("3", "mm", "mm", "2026-02-30").code, 2);
    EXPECT_EQ(Rain({"monthly", "--station", "Hill", "--channel", "3", "--logged", "mm", "--display", "mm", "--month",
                    "13", "--year", "2026"})
                  .code,
              2);
}

}  // namespace
}  // namespace svu
