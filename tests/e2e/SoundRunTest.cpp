// The service records alarm messages: with a test tone as its sound input it leaves a WAV file and
// its catalogue record; without a usable input it says so once and acquisition goes on.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "e2e/RuntimeCliSupport.h"
#include "framework/Settings.h"
#include "outputs/AlarmSounds.h"
#include "outputs/SoundCatalogue.h"
#include "platform/WavReader.h"
#include "stations/Alarm.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// Hill replays temperatures from 5 upwards; its alarm "Warm" (above 6) records one second.
class SoundRun : public ::testing::Test {
protected:
    SoundRun() {
        std::filesystem::create_directories(folder.File("rec"));
        auto alarm = std::make_unique<Alarm>();
        alarm->name = "Warm";
        alarm->channel = 2;
        alarm->enabled = 1;
        alarm->threshold = 6;
        alarm->recordSound = 1;
        alarm->recordLength = 1;
        alarm->recordFolder = folder.File("rec");
        folder.SaveHill(30, [&](WSFile& hill) { hill.alarms.push_back(std::move(alarm)); });
    }

    void SetInput(const std::string& input) {
        Settings settings(folder.Path());
        settings.WriteSettingString(kSectionSound, kKeySoundInput, input);
    }

    test::ProgramFolder folder;
};

TEST_F(SoundRun, AnAlarmRecordsAWavFileAndCataloguesIt) {
    SetInput("tone:440");
    const test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "run", "--for", "3"});
    EXPECT_EQ(r.code, 0) << r.err;
    const CatalogueReadResult catalogue = ReadSoundCatalogue(folder.File("sounds.bin"));
    EXPECT_TRUE(catalogue.error.empty()) << catalogue.error;
    ASSERT_GE(catalogue.entries.size(), 1u) << r.err;
    const std::string& path = catalogue.entries[0].path;
    EXPECT_EQ(path.rfind(folder.File("rec") + "/Stratavue(", 0), 0u) << path;
    WavData wav;
    std::string error;
    ASSERT_TRUE(ReadWavFile(path, wav, error)) << error;
    EXPECT_EQ(wav.samplesPerSecond, 8000);
    EXPECT_EQ(wav.bitsPerSample, 8);
    EXPECT_GE(wav.samples.size(), 8000u);  // at least the alarm's second
}

TEST_F(SoundRun, AMissingSoundInputIsReportedOnceAndAcquisitionGoesOn) {
    SetInput(folder.File("no-such-input.wav"));
    const test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "run", "--for", "3"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::size_t first = r.err.find("WAVEIN:");
    ASSERT_NE(first, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("WAVEIN:", first + 1), std::string::npos) << r.err;
    EXPECT_NE(ReadFileBytes(folder.File("error.txt")).find("WAVEIN:"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.File("sounds.bin")));
    EXPECT_NE(ReadFileBytes(folder.File("logs/Hill-20261205.log")).find("14:07:00"), std::string::npos);
}

}  // namespace
}  // namespace svu
