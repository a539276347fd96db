#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/RecordingUserInterface.h"

namespace svu {
namespace {

using namespace std::chrono_literals;

TEST(ManualClock, MovesOnlyWhenToldAndSleepAdvancesIt) {
    ManualClock clock(1000);
    EXPECT_EQ(clock.Now(), 1000);
    const int64_t tick = clock.TickMs();
    clock.SleepFor(250ms);
    clock.SleepFor(800ms);
    EXPECT_EQ(clock.Now(), 1001);
    EXPECT_EQ(clock.TickMs() - tick, 1050);
    clock.Advance(std::chrono::hours(1));
    EXPECT_EQ(clock.Now(), 4601);
    clock.Set(-1);
    EXPECT_EQ(clock.Now(), -1);
    clock.Advance(-1ms);
    EXPECT_EQ(clock.Now(), -2) << "time before the epoch rounds down";
}

TEST(ManualClock, PollingLoopsRunInstantlyAcrossThreads) {
    ManualClock clock(0);
    std::vector<std::thread> pollers;
    for (int t = 0; t < 4; ++t) {
        pollers.emplace_back([&clock] {
            // A 10-minute wait in 20 ms polls, as a station's worker thread would do it.
            const int64_t start = clock.TickMs();
            while (clock.TickMs() - start < 600'000) {
                clock.SleepFor(20ms);
            }
        });
    }
    for (auto& poller : pollers) {
        poller.join();
    }
    EXPECT_GE(clock.Now(), 600);
    EXPECT_LE(clock.Now(), 4 * 600 + 1);
}

TEST(RealClock, IsOneProcessWideMonotonicClock) {
    Clock& clock = SystemClock();
    EXPECT_EQ(&clock, &SystemClock());
    EXPECT_GT(clock.Now(), 1'700'000'000);
    const int64_t first = clock.TickMs();
    EXPECT_LE(first, clock.TickMs());
}

TEST(HeadlessUserInterface, WritesMessagesAndAnswersSafely) {
    std::ostringstream out;
    HeadlessUserInterface ui(out);
    EXPECT_EQ(ui.MessageBox("Invalid password", "", MsgButtons::Ok, MsgIcon::Stop), MsgResult::Ok);
    EXPECT_EQ(ui.MessageBox("Delete?", "Stratavue", MsgButtons::YesNo, MsgIcon::Question), MsgResult::No);
    EXPECT_EQ(ui.MessageBox("Phone out?", "", MsgButtons::YesNo, MsgIcon::Question, 1), MsgResult::Yes);
    EXPECT_EQ(ui.MessageBox("Save?", "", MsgButtons::YesNoCancel, MsgIcon::Question), MsgResult::Cancel);
    EXPECT_EQ(ui.MessageBox("Save?", "", MsgButtons::YesNoCancel, MsgIcon::Question, 2), MsgResult::No);
    EXPECT_EQ(ui.MessageBox("Retry?", "", MsgButtons::RetryCancel, MsgIcon::Warning, 7), MsgResult::Cancel);
    ui.ShowProgress("Uploading the file");
    EXPECT_EQ(out.str(),
              "error: Invalid password\nStratavue: Delete?\nPhone out?\nSave?\nSave?\nwarning: Retry?\n"
              "Uploading the file\n");
}

TEST(RecordingUserInterface, RecordsAndAnswersFromItsQueue) {
    test::RecordingUserInterface ui;
    ui.Answer(MsgResult::Yes);
    EXPECT_EQ(ui.MessageBox("Clear?", "", MsgButtons::YesNo, MsgIcon::Question, 2), MsgResult::Yes);
    EXPECT_EQ(ui.MessageBox("Clear?", "", MsgButtons::YesNo, MsgIcon::Question, 2), MsgResult::No);
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].defaultButton, 2);
}

}  // namespace
}  // namespace svu
