// Alarm recordings through the recorder and writer threads, with a tone as the sound input and a
// manual clock as the time: what is written, how long it runs, when it is catalogued.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "framework/Clock.h"
#include "framework/TempDir.h"
#include "outputs/AlarmRecorder.h"
#include "outputs/SoundCatalogue.h"
#include "platform/FileAudioInput.h"
#include "platform/WavReader.h"

namespace svu {
namespace {

using namespace std::chrono_literals;
using test::ReadFileBytes;
using test::TempDir;

// soxi's answer for one property of a file ("" when it cannot run or read the file).
std::string Soxi(const std::string& option, const std::string& path) {
    const std::string command = "soxi " + option + " '" + path + "' 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    char line[128] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    ::pclose(pipe);
    std::string text = got ? line : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

std::vector<std::filesystem::path> WavFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".wav") {
            files.push_back(entry.path());
        }
    }
    return files;
}

struct RecorderRig {
    TempDir dir;
    ManualClock clock{FromLocal(2026, 12, 7, 1, 2, 3)};
    FileAudioInput input{clock, 440.0};
    std::vector<std::string> problems;
    std::mutex problemsMutex;
    AlarmRecorder recorder{input, clock, dir.File("sounds.bin"), [this](const std::string& p) {
                               std::lock_guard guard(problemsMutex);
                               problems.push_back(p);
                           }};

    RecordingRequest Request(int seconds, int rate, int bits) {
        return {"Roof", "Gale", dir.Path().string(), seconds, rate, bits};
    }
    CatalogueReadResult Catalogue() { return ReadSoundCatalogue(dir.File("sounds.bin")); }
    // Asks for a recording and lets the recorder open its input (counted from this moment).
    void Record(const RecordingRequest& request) {
        recorder.Record(request);
        recorder.Sync();
    }
    // Lets `time` pass and the recorder act on it.
    void Pass(std::chrono::milliseconds time) {
        clock.Advance(time);
        recorder.Poll();
        recorder.Sync();
    }
};

TEST(AlarmRecorder, WritesAWavFileThatSoxReadsWithTheAlarmsFormatAndLength) {
    const struct {
        int rate;
        int bits;
        int seconds;
    } cases[] = {{11025, 16, 3}, {8000, 8, 2}};
    for (const auto& c : cases) {
        RecorderRig rig;
        rig.Record(rig.Request(c.seconds, c.rate, c.bits));
        const std::string path = rig.recorder.CurrentPath();
        EXPECT_EQ(path, rig.dir.Path().string() + "/Stratavue(2026-12-07) [01;02;03].wav");
        rig.Pass(std::chrono::seconds(c.seconds));
        EXPECT_FALSE(rig.recorder.Active());

        const long samples = static_cast<long>(c.rate) * c.seconds;
        EXPECT_EQ(Soxi("-r", path), std::to_string(c.rate));
        EXPECT_EQ(Soxi("-b", path), std::to_string(c.bits));
        EXPECT_EQ(Soxi("-c", path), "1");
        EXPECT_EQ(Soxi("-s", path), std::to_string(samples));

        // The header as other programs expect it: an 18-byte "fmt " chunk, sizes completed.
        const std::string bytes = ReadFileBytes(path);
        const std::size_t dataBytes = static_cast<std::size_t>(samples * c.bits / 8);
        ASSERT_EQ(bytes.size(), 46 + dataBytes + (dataBytes & 1));
        EXPECT_EQ(bytes.substr(12, 8), std::string("fmt \x12\0\0\0", 8));
        EXPECT_EQ(bytes.substr(38, 4), "data");
        WavData wav;
        std::string error;
        ASSERT_TRUE(ParseWav(bytes, wav, error)) << error;
        EXPECT_EQ(wav.samples.size(), dataBytes);

        const CatalogueReadResult catalogue = rig.Catalogue();
        ASSERT_EQ(catalogue.entries.size(), 1u);
        EXPECT_EQ(catalogue.entries[0].path, path);
        EXPECT_EQ(catalogue.entries[0].start.ToTime(), FromLocal(2026, 12, 7, 1, 2, 3));
        EXPECT_TRUE(rig.problems.empty());
    }
}

TEST(AlarmRecorder, ASecondAlarmExtendsTheRunningRecordingToItsOwnLength) {
    RecorderRig rig;
    const int64_t start = rig.clock.TickMs();
    rig.Record(rig.Request(20, 8000, 8));
    rig.clock.Advance(5s);
    rig.recorder.Record(rig.Request(20, 8000, 8));
    EXPECT_EQ(rig.recorder.EndTick(), start + 25000);
    // A shorter request never brings the end forward.
    rig.recorder.Record(rig.Request(1, 8000, 8));
    EXPECT_EQ(rig.recorder.EndTick(), start + 25000);

    rig.clock.Advance(15s);  // the first alarm's end
    rig.recorder.Poll();
    EXPECT_TRUE(rig.recorder.Active());
    rig.Pass(5s);
    EXPECT_FALSE(rig.recorder.Active());

    const auto files = WavFiles(rig.dir.Path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(Soxi("-s", files[0].string()), "200000");  // 25 s at 8000 samples per second
    EXPECT_EQ(rig.Catalogue().entries.size(), 1u);
}

TEST(AlarmRecorder, StoppingAcquisitionEndsTheFileButCataloguesNothing) {
    RecorderRig rig;
    rig.Record(rig.Request(20, 8000, 16));
    rig.clock.Advance(3s);
    rig.recorder.Abandon();
    rig.recorder.Sync();
    EXPECT_FALSE(rig.recorder.Active());
    const auto files = WavFiles(rig.dir.Path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(Soxi("-s", files[0].string()), "24000");  // complete up to the stop
    EXPECT_FALSE(std::filesystem::exists(rig.dir.File("sounds.bin")));

    // The next alarm starts a new recording as usual.
    rig.clock.Advance(2s);
    rig.Record(rig.Request(1, 8000, 16));
    rig.Pass(1s);
    EXPECT_EQ(WavFiles(rig.dir.Path()).size(), 2u);
    EXPECT_EQ(rig.Catalogue().entries.size(), 1u);
}

TEST(AlarmRecorder, AnInputThatCannotOpenIsReportedOnceAndNothingIsWritten) {
    RecorderRig rig;
    rig.input.FailNextOpen("WAVEIN:ffffd8e8:No sound input device is available");
    for (int i = 0; i < 2; ++i) {
        rig.Record(rig.Request(1, 8000, 8));
        rig.Pass(2s);
    }
    EXPECT_EQ(rig.input.OpenCount(), 2);
    ASSERT_EQ(rig.problems.size(), 1u);
    EXPECT_EQ(rig.problems[0], "WAVEIN:ffffd8e8:No sound input device is available");
    EXPECT_TRUE(WavFiles(rig.dir.Path()).empty());
    EXPECT_FALSE(std::filesystem::exists(rig.dir.File("sounds.bin")));

    // A folder where no file can be made: reported, and no record names the missing file.
    rig.input.FailNextOpen({});
    RecordingRequest request = rig.Request(1, 8000, 8);
    request.folder = rig.dir.File("no such folder");
    rig.Record(request);
    rig.Pass(1s);
    ASSERT_EQ(rig.problems.size(), 2u);
    EXPECT_NE(rig.problems[1].find("cannot be created"), std::string::npos) << rig.problems[1];
    EXPECT_FALSE(std::filesystem::exists(rig.dir.File("sounds.bin")));
}

}  // namespace
}  // namespace svu
