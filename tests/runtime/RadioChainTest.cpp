// The shared radio chain: turns in list order, wrapping; the stop request; stations that leave,
// join or are disabled while the chain runs. First the chain alone, driven by hand; then inside the
// runtime with stations whose turns run on real threads.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

#include "runtime/RadioChain.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeTestSupport.h"

namespace svu {
namespace {

class Member : public WeatherStation {
public:
    explicit Member(std::string stationName) : WeatherStation(std::move(stationName)) { typeCode = 11; }
    const char* ClassName() const override { return "Member"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
};

struct ChainFixture : ::testing::Test {
    RadioChain chain{[this](WeatherStation& s) { started.push_back(s.name); }};
    Member a{"A"}, b{"B"}, c{"C"};
    std::vector<std::string> started;

    // Ends the running turn (not stopping) `n` times.
    void Turns(int n) {
        for (int i = 0; i < n; ++i) {
            chain.TurnEnded(*chain.Current(), false);
        }
    }
};

using Names = std::vector<std::string>;

TEST_F(ChainFixture, TurnsGoInListOrderAndWrapAndAStopStartsNobody) {
    chain.Begin({&a, &b, &c});
    Turns(4);
    EXPECT_EQ(started, (Names{"A", "B", "C", "A", "B"}));
    // A late word from a station whose turn is over must not start a second chain.
    chain.TurnEnded(a, false);
    EXPECT_EQ(started.size(), 5u);
    chain.TurnEnded(b, true);
    EXPECT_EQ(chain.Current(), nullptr);
    EXPECT_EQ(started.size(), 5u);

    started.clear();
    chain.Begin({&b});
    Turns(2);
    EXPECT_EQ(started, (Names{"B", "B", "B"}));
    chain.Begin({});
    EXPECT_EQ(chain.Current(), nullptr);
}

TEST_F(ChainFixture, AStationThatLeavesDuringItsTurnHandsOnToItsSuccessorAndNeverComesBack) {
    chain.Begin({&a, &b, &c});
    Turns(1);  // B's turn
    EXPECT_TRUE(chain.Remove(b));
    EXPECT_FALSE(chain.Contains(b));
    chain.TurnEnded(b, false);
    Turns(2);
    EXPECT_EQ(started, (Names{"A", "B", "C", "A", "C"}));
    // One that leaves while another has the turn is simply skipped.
    EXPECT_FALSE(chain.Remove(a));
    Turns(2);
    EXPECT_EQ(started, (Names{"A", "B", "C", "A", "C", "C", "C"}));
}

TEST_F(ChainFixture, TheLastMemberLeavingIdlesTheChainAndANewcomerStartsItAgain) {
    chain.Begin({&a});
    EXPECT_TRUE(chain.Remove(a));
    chain.TurnEnded(a, false);
    EXPECT_EQ(chain.Current(), nullptr);
    chain.Insert(b, 0, true);  // stopping: joins, but no turn starts
    EXPECT_EQ(chain.Current(), nullptr);
    chain.Remove(b);
    chain.Insert(b, 0, false);
    EXPECT_EQ(chain.Current(), &b);
    chain.Insert(a, 0, false);  // before B in the list: its turn comes after B's, wrapping
    chain.Insert(c, 5, false);
    EXPECT_EQ(chain.Members(), (std::vector<WeatherStation*>{&a, &b, &c}));
    Turns(3);
    EXPECT_EQ(started, (Names{"A", "B", "C", "A", "B"}));
}

// ---- Inside the runtime ----

// A radio station whose turn stores nothing: it notes the turn, checks that no other turn runs,
// and, when silent, waits for a reply that never comes until the stop request.
class FakeRadio : public WeatherStation {
public:
    struct Shared {
        std::mutex mutex;
        std::vector<std::string> turns;
        std::atomic<int> running{0};
        std::atomic<bool> overlapped{false};
        std::atomic<bool> inSilentWait{false};
    };

    FakeRadio(std::string stationName, Shared& shared, bool silent = false)
        : WeatherStation(std::move(stationName)), shared_(shared), silent_(silent) {
        typeCode = 3;
        active = 1;
    }
    const char* ClassName() const override { return "FakeRadio"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    bool InitComms(StationHost&) override { return true; }
    void ThreadFunction(StationHost& host) override {
        if (host.StopRequested()) {
            return;
        }
        if (shared_.running.fetch_add(1) != 0) {
            shared_.overlapped = true;
        }
        {
            std::lock_guard guard(shared_.mutex);
            shared_.turns.push_back(name);
        }
        if (silent_) {
            shared_.inSilentWait = true;
            while (!host.StopRequested()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            shared_.inSilentWait = false;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        shared_.running.fetch_sub(1);
        if (!host.StopRequested()) {
            host.StartNextRadioStation(*this);
        }
    }

private:
    Shared& shared_;
    bool silent_;
};

class RadioRuntime : public test::RuntimeFixture {
protected:
    FakeRadio& Add(const std::string& name, bool silent = false) {
        runtime.Stations().push_back(std::make_unique<FakeRadio>(name, shared, silent));
        return static_cast<FakeRadio&>(*runtime.Stations().back());
    }
    Names Turns() {
        std::lock_guard guard(shared.mutex);
        return shared.turns;
    }
    // Waits (generously) until `n` more turns have been taken.
    bool WaitTurns(std::size_t n) {
        const std::size_t target = Turns().size() + n;
        for (int i = 0; i < 10000 && Turns().size() < target; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return Turns().size() >= target;
    }

    FakeRadio::Shared shared;
    Runtime runtime{settings, ui, clock};
};

TEST_F(RadioRuntime, TurnsAlternateOnOneThreadBesideOtherStationsAndEndedTurnsAreJoined) {
    Add("R1");
    runtime.Stations().push_back(test::FileStation("A", reports.dir.File("none.log")));
    Add("R2");
    ASSERT_TRUE(runtime.StartAcquisition());
    ASSERT_TRUE(WaitTurns(8));
    // Threads of finished turns are joined as the chain goes on, not kept until the stop.
    EXPECT_LT(runtime.StartedThreadCount(), 6u);
    EXPECT_TRUE(runtime.StopAcquisition());
    const Names turns = Turns();
    for (std::size_t i = 0; i < turns.size(); ++i) {
        EXPECT_EQ(turns[i], i % 2 == 0 ? "R1" : "R2");
    }
    EXPECT_EQ(runtime.StartedThreadCount(), 0u);
    EXPECT_FALSE(shared.overlapped);
}

TEST_F(RadioRuntime, AStopRequestEndsASilentWaitAndNoFurtherTurnStarts) {
    Add("Quiet", true);
    Add("Next");
    ASSERT_TRUE(runtime.StartAcquisition());
    for (int i = 0; i < 10000 && !shared.inSilentWait; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(shared.inSilentWait);
    runtime.SetStopTimeout(std::chrono::seconds(20));  // a failure guard, not a timing claim
    EXPECT_TRUE(runtime.StopAcquisition());
    EXPECT_EQ(Turns(), (Names{"Quiet"}));
    EXPECT_EQ(runtime.StartedThreadCount(), 0u);
    EXPECT_FALSE(shared.overlapped);
}

TEST_F(RadioRuntime, DisabledStationsHaveNoTurnAndChangesDuringTheRunAreSafe) {
    Add("A");
    FakeRadio& b = Add("B");
    b.active = 0;
    Add("C");
    ASSERT_TRUE(runtime.StartAcquisition());
    ASSERT_TRUE(WaitTurns(6));
    for (const std::string& turn : Turns()) {
        EXPECT_NE(turn, "B");
    }
    // B is enabled while the chain runs: it takes its place between A and C.
    b.active = 1;
    runtime.UpdateRadioChain();
    ASSERT_TRUE(WaitTurns(6));
    Names recent = Turns();
    recent.erase(recent.begin(), recent.end() - 6);
    const std::string text = recent[0] + recent[1] + recent[2] + recent[3] + recent[4] + recent[5];
    EXPECT_NE(text.find("ABC"), std::string::npos) << text;

    // C is deleted and a newcomer added while turns go on: C is never polled again.
    WeatherStation* c = runtime.FindStation("C");
    ASSERT_TRUE(runtime.DeleteStation(*c));
    EXPECT_EQ(runtime.FindStation("C"), nullptr);
    Add("D");
    runtime.UpdateRadioChain();
    const std::size_t before = Turns().size();
    ASSERT_TRUE(WaitTurns(9));
    Names after = Turns();
    after.erase(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_EQ(std::count(after.begin(), after.end(), "C"), 0);
    EXPECT_GE(std::count(after.begin(), after.end(), "D"), 2);

    // Every station disabled: the chain stops turning and stopping still works.
    for (const auto& s : runtime.Stations()) {
        s->active = 0;
    }
    runtime.UpdateRadioChain();
    EXPECT_TRUE(runtime.Radio().Members().empty());
    EXPECT_TRUE(runtime.StopAcquisition());
    EXPECT_FALSE(shared.overlapped);
}

}  // namespace
}  // namespace svu
