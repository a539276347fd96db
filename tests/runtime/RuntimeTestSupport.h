#pragma once

// Shared pieces of the runtime tests: a program folder with its reports, settings and a manual
// clock, and a file station to run in it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/AtomicFile.h"
#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "stations/StationTestSupport.h"
#include "stations/WSFile.h"

namespace svu::test {

/// Reports and settings in a test folder and a manual clock. Whole-file writes skip the disk
/// flush, which is not what these tests are about.
class RuntimeFixture : public ::testing::Test {
protected:
    RuntimeFixture() { SetAtomicWriteSyncForTesting(false); }
    ~RuntimeFixture() override { SetAtomicWriteSyncForTesting(true); }

    ReportScope reports;
    Settings settings{reports.dir.Path().string()};
    RecordingUserInterface ui;
    ManualClock clock{FromLocal(2026, 12, 5, 14, 0, 0)};
};

/// An active file station replaying `input` (which need not exist yet): Date, Time and Temp.
inline std::unique_ptr<WSFile> FileStation(const std::string& name, const std::string& input) {
    auto station = std::make_unique<WSFile>(name);
    station->active = 1;
    station->inputFile = input;
    station->rawChannelCount = station->channelCount = 3;
    station->channelNames = {"Date", "Time", "Temp"};
    station->ResetValues();
    return station;
}

}  // namespace svu::test
