#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "derived/ProcessedChannelRatio.h"
#include "derived/TestStation.h"
#include "framework/TextUtil.h"

namespace svu {
namespace {

using test::TestStation;

// Stations whose ratio channels read each other in a ring, each driven by its own thread as the
// acquisition threads would: every thread finishes (no deadlock) and every ratio is a true quotient.
void RunRing(int stations, int readings) {
    std::vector<std::unique_ptr<TestStation>> ring;
    for (int i = 0; i < stations; ++i) {
        ring.push_back(std::make_unique<TestStation>(2, "S" + std::to_string(i)));
    }
    for (int i = 0; i < stations; ++i) {
        auto& ratio = ring[i]->Add<ProcessedChannelRatio>();
        ratio.numeratorChannel = 0;
        ratio.remoteStation = ring[(i + 1) % stations].get();
        ratio.remoteChannel = 1;
        ring[i]->values[1] = "2";
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < stations; ++i) {
        threads.emplace_back([&ring, i, readings] {
            TestStation& st = *ring[i];
            for (int r = 0; r < readings; ++r) {
                std::lock_guard guard(st.lock);
                st.Reading(r, {"8", r % 2 == 0 ? "2" : "4"});
                const double q = AtoF(st.Out());
                ASSERT_TRUE(q == 4.0 || q == 2.0) << st.Out();
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
}

TEST(ChannelRatio, StationsReadingEachOtherNeverDeadlock) {
    RunRing(2, 20000);
}

TEST(ChannelRatio, LongerCyclesNeverDeadlock) {
    RunRing(3, 10000);
}

}  // namespace
}  // namespace svu
