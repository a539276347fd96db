#pragma once

// A host whose stop request runs a step of the test before every poll of a station's thread, so a
// ThreadFunction can be driven on the test's own thread, poll by poll, on a manual clock.

#include <functional>
#include <vector>

#include "stations/StationTestSupport.h"

namespace svu::test {

class ScriptedHost : public FakeHost {
public:
    explicit ScriptedHost(TimeT start) : FakeHost(start) {}

    /// Called before every poll with the number of the poll (from 0); true stops the thread.
    std::function<bool(int poll)> step = [](int) { return false; };
    /// The clock tick of every reading stored, seen at the poll after it.
    std::vector<int64_t> readingTicks;
    int rewinds = 0;
    WeatherStation* watched = nullptr;

    bool StopRequested() const override {
        auto* self = const_cast<ScriptedHost*>(this);
        if (watched != nullptr && watched->newData.exchange(false)) {
            self->readingTicks.push_back(self->clock.TickMs());
        }
        return step(self->polls++);
    }
    void OnRewind(WeatherStation&) override { ++rewinds; }

private:
    int polls = 0;
};

}  // namespace svu::test
