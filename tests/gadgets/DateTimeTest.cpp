#include <gtest/gtest.h>

#include <chrono>

#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "gadgets/DateGadget.h"
#include "gadgets/ItemTestSupport.h"
#include "gadgets/TimeGadget.h"

namespace svu {
namespace {

using std::chrono::milliseconds;

TEST(DateTimeGadgets, DateRepaintsOnceADayAndTimeOnceASecond) {
    ManualClock clock(FromLocal(2024, 3, 30, 23, 59, 58));
    DateGadget date(clock);
    TimeGadget time(clock);
    int dateRepaints = 0;
    int timeRepaints = 0;
    // Ticks of 10 ms over four seconds, across midnight.
    for (int tick = 0; tick < 400; ++tick) {
        dateRepaints += date.UpdateFromChannels() ? 1 : 0;
        timeRepaints += time.UpdateFromChannels() ? 1 : 0;
        clock.SleepFor(milliseconds(10));
    }
    EXPECT_EQ(dateRepaints, 1);
    EXPECT_EQ(timeRepaints, 3);  // 23:59:59, 00:00:00, 00:00:01
    EXPECT_EQ(ToLocal(date.shownDate).day, 31);
    EXPECT_EQ(date.Text(), FormatUserDate(FromLocal(2024, 3, 31, 0, 0, 0)));
    EXPECT_EQ(time.Text(), FormatUserTime(FromLocal(2024, 3, 31, 0, 0, 1)));
}

TEST(DateTimeGadgets, RecordsHoldTheBaseOnlyAndRoundTrip) {
    ManualClock clock(1000);
    for (const char* name : {"DateGadget", "TimeGadget"}) {
        std::unique_ptr<Gadget> g = name == std::string("DateGadget") ? std::unique_ptr<Gadget>(new DateGadget(clock))
                                                                      : std::unique_ptr<Gadget>(new TimeGadget(clock));
        g->rect = {0, 0, 200, 100};
        test::RecordBytes want;
        want.ClassTag(name, 6).Base(6);
        EXPECT_EQ(test::StoreItem(*g), want.b) << name;
        auto back = test::ReadItem(want.b);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(test::StoreItem(*back), want.b) << name;
    }
    // A copied time item shows the time of the item copied; a copied date the date of its making.
    TimeGadget time(clock);
    clock.SleepFor(milliseconds(90000));
    time.UpdateFromChannels();
    EXPECT_EQ(static_cast<TimeGadget&>(*time.Clone()).shownTime, time.shownTime);
}

}  // namespace
}  // namespace svu
