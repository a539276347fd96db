#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <mutex>

#include "framework/TempDir.h"
#include "outputs/LiveTestSupport.h"
#include "outputs/LiveValueServer.h"

namespace svu {
namespace {

using test::NextLine;
using test::WaitFor;

class LiveServer : public ::testing::Test {
protected:
    LiveServer() {
        stations.push_back(std::make_unique<test::TickStation>("Hill", 3));
        hill().host = &host;
        server.OnStationsChanged(stations, StationsChange::Loaded);
    }
    ~LiveServer() override {
        server.Stop();
        hill().host = nullptr;
    }

    test::TickStation& hill() { return static_cast<test::TickStation&>(*stations[0]); }
    std::string SocketPath() const { return dir.File(kLiveSocketName); }

    void Start(LiveValueServer::Options options = {}) {
        if (options.socketPath.empty()) {
            options.socketPath = SocketPath();
        }
        std::vector<std::string> problems;
        ASSERT_TRUE(server.Start(options, problems)) << (problems.empty() ? "" : problems[0]);
        ASSERT_TRUE(problems.empty()) << problems[0];
    }
    void Connect(LiveClient& client) {
        std::string error;
        ASSERT_TRUE(client.ConnectUnix(SocketPath(), error)) << error;
    }
    /// Sends a command and returns its reply.
    std::string Ask(LiveClient& client, std::initializer_list<std::string_view> fields) {
        client.Send(fields);
        return NextLine(client);
    }

    test::TempDir dir;
    StationList stations;
    LiveValueServer server;
    test::ForwardingHost host{[this](WeatherStation& s) { server.OnReading(s); }};
};

TEST_F(LiveServer, AnswersRequestsOnTheSocketAndOnLoopbackTcp) {
    LiveValueServer::Options options;
    options.tcpPort = 0;
    Start(options);
    ASSERT_GT(server.TcpPort(), 0);
    hill().Reading(7);

    LiveClient local;
    Connect(local);
    EXPECT_EQ(Ask(local, {"REQUEST", "Information", "WeatherStations"}), "DATA|Information|WeatherStations|1");
    EXPECT_EQ(Ask(local, {"request", "information", "weatherstation1"}), "DATA|information|weatherstation1|Hill");
    EXPECT_EQ(Ask(local, {"REQUEST", "Information", "Realtime"}), "DATA|Information|Realtime|No");
    EXPECT_EQ(Ask(local, {"REQUEST", "hill", "Channel2"}), "DATA|hill|Channel2|7.2");
    EXPECT_EQ(Ask(local, {"REQUEST", "Hill", "Channel4"}), "NODATA|Hill|Channel4");
    EXPECT_EQ(Ask(local, {"REQUEST", "Valley", "Channels"}), "NODATA|Valley|Channels");
    EXPECT_EQ(Ask(local, {"PING"}), "PONG");
    EXPECT_EQ(Ask(local, {"EXECUTE", "Hill", "x"}), "ERROR|unknown command");

    LiveClient tcp;
    std::string error;
    ASSERT_TRUE(tcp.ConnectTcp(server.TcpPort(), error)) << error;
    EXPECT_EQ(Ask(tcp, {"REQUEST", "Hill", "Name3"}), "DATA|Hill|Name3|C3");
    EXPECT_EQ(Ask(tcp, {"QUIT"}), "BYE");
    std::vector<std::string> fields;
    EXPECT_EQ(tcp.ReadLine(fields, 10000), LiveClient::Read::Closed);
}

TEST_F(LiveServer, AdviseLinksAreCountedUpAndDownAndGoWithTheirClient) {
    Start();
    LiveClient a;
    LiveClient b;
    Connect(a);
    Connect(b);
    EXPECT_EQ(Ask(a, {"ADVISE", "Hill", "Channel1"}), "ADVISING|Hill|Channel1");
    EXPECT_EQ(Ask(a, {"ADVISE", "HILL", "channel1"}), "ADVISING|HILL|channel1");  // the same link
    EXPECT_EQ(Ask(a, {"ADVISE", "Hill", "Channel0"}), "REFUSED|Hill|Channel0");
    EXPECT_EQ(Ask(a, {"ADVISE", "Valley", "Channel1"}), "REFUSED|Valley|Channel1");
    EXPECT_EQ(Ask(b, {"ADVISE", "Information", "Realtime"}), "ADVISING|Information|Realtime");
    EXPECT_EQ(Ask(b, {"ADVISE", "Hill", "Name2"}), "ADVISING|Hill|Name2");
    EXPECT_EQ(server.AdviseLinkCount(), 3);
    EXPECT_EQ(Ask(b, {"UNADVISE", "Hill", "Name2"}), "UNADVISED|Hill|Name2");
    EXPECT_EQ(Ask(b, {"UNADVISE", "Hill", "Name2"}), "NOTADVISING|Hill|Name2");
    EXPECT_EQ(Ask(b, {"UNADVISE", "Hill", "Channel9"}), "NOTADVISING|Hill|Channel9");
    EXPECT_EQ(server.AdviseLinkCount(), 2);
    a.Close();
    EXPECT_TRUE(WaitFor([&] { return server.AdviseLinkCount() == 1; }));
}

TEST_F(LiveServer, NewDataBringsANoticePerLinkedChannelAndNothingWithoutLinks) {
    Start();
    LiveClient client;
    Connect(client);
    hill().Reading(1);  // no link yet: nothing is posted
    EXPECT_EQ(Ask(client, {"PING"}), "PONG");
    for (const char* item : {"Channel1", "Channel2", "Channel3"}) {
        EXPECT_EQ(Ask(client, {"ADVISE", "Hill", item}), std::string("ADVISING|Hill|") + item);
    }
    hill().Reading(2);
    EXPECT_EQ(NextLine(client), "NOTICE|Hill|Channel1|2.1");
    EXPECT_EQ(NextLine(client), "NOTICE|Hill|Channel2|2.2");
    EXPECT_EQ(NextLine(client), "NOTICE|Hill|Channel3|2.3");
    EXPECT_EQ(Ask(client, {"UNADVISE", "Hill", "Channel2"}), "UNADVISED|Hill|Channel2");
    hill().Reading(3);
    EXPECT_EQ(NextLine(client), "NOTICE|Hill|Channel1|3.1");
    EXPECT_EQ(NextLine(client), "NOTICE|Hill|Channel3|3.3");
}

TEST_F(LiveServer, SavingAndSwitchingAcquisitionPostTheirNotices) {
    Start();
    LiveClient client;
    Connect(client);
    for (const char* item : {"Realtime", "WeatherStations", "WeatherStation1"}) {
        EXPECT_EQ(Ask(client, {"ADVISE", "Information", item}), std::string("ADVISING|Information|") + item);
    }
    EXPECT_EQ(Ask(client, {"ADVISE", "Hill", "Name2"}), "ADVISING|Hill|Name2");
    server.OnAcquisitionChanged(true);
    EXPECT_EQ(NextLine(client), "NOTICE|Information|Realtime|Yes");
    hill().channelNames[1] = "Wind";
    server.OnStationsChanged(stations, StationsChange::Saved);
    EXPECT_EQ(NextLine(client), "NOTICE|Information|WeatherStations|1");
    EXPECT_EQ(NextLine(client), "NOTICE|Information|WeatherStation1|Hill");
    EXPECT_EQ(NextLine(client), "NOTICE|Hill|Name2|Wind");
}

TEST_F(LiveServer, ARenamedStationsNoticesGoUnderItsNewName) {
    Start();
    LiveClient old;
    LiveClient renamed;
    Connect(old);
    Connect(renamed);
    EXPECT_EQ(Ask(old, {"ADVISE", "Hill", "Channel1"}), "ADVISING|Hill|Channel1");
    hill().name = "Summit";
    server.OnStationsChanged(stations, StationsChange::Saved);
    EXPECT_EQ(Ask(renamed, {"ADVISE", "summit", "Channel1"}), "ADVISING|summit|Channel1");
    hill().Reading(5);
    EXPECT_EQ(NextLine(renamed), "NOTICE|Summit|Channel1|5.1");
    EXPECT_EQ(Ask(old, {"PING"}), "PONG");  // nothing came on the old name
    EXPECT_EQ(Ask(old, {"REQUEST", "Hill", "Channel1"}), "NODATA|Hill|Channel1");
}

TEST_F(LiveServer, OversizedLinesAreRefusedAndTheConnectionCarriesOn) {
    Start();
    LiveClient client;
    Connect(client);
    client.SendRaw("REQUEST\tHill\t" + std::string(2 * kMaxLiveLineBytes, 'x'));
    client.SendRaw(std::string(kMaxLiveLineBytes, 'y') + "\nPING\n");
    EXPECT_EQ(NextLine(client), "ERROR|line too long");
    EXPECT_EQ(NextLine(client), "PONG");
    EXPECT_EQ(Ask(client, {"REQUEST", "Hill", "Channels"}), "DATA|Hill|Channels|3");
}

TEST_F(LiveServer, AClientThatStopsReadingIsDroppedWhileReadingsKeepTheirPace) {
    LiveValueServer::Options options;
    options.maxQueueBytes = 16 * 1024;
    Start(options);
    // The stalled client holds a small receive buffer and never reads from it.
    const int stalled = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(stalled, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, SocketPath().c_str());
    ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string advise = "ADVISE\tHill\tChannel1\nADVISE\tHill\tChannel2\nADVISE\tHill\tChannel3\n";
    ASSERT_EQ(::send(stalled, advise.data(), advise.size(), 0), static_cast<ssize_t>(advise.size()));
    LiveClient watcher;
    Connect(watcher);
    EXPECT_EQ(Ask(watcher, {"ADVISE", "Hill", "Channel1"}), "ADVISING|Hill|Channel1");
    ASSERT_TRUE(WaitFor([&] { return server.AdviseLinkCount() == 4; }));

    // The reader that reads keeps reading throughout.
    std::mutex lastMutex;
    std::string last;
    std::atomic<bool> watching{true};
    std::thread reader([&] {
        while (watching.load()) {
            const std::string line = NextLine(watcher, 50);
            if (!line.empty()) {
                std::lock_guard guard(lastMutex);
                last = line;
            }
        }
    });
    // The station's own thread makes a reading every millisecond, as long as it is let.
    std::thread station([&] {
        for (long k = 1; server.DroppedClients() == 0 && k < 2000000; ++k) {
            hill().Reading(k);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_TRUE(WaitFor([&] { return server.DroppedClients() == 1; }, std::chrono::seconds(60)));
    station.join();
    EXPECT_EQ(server.AdviseLinkCount(), 1);
    // The station went on while the client was stalled, and the reader that reads kept up.
    const long made = hill().readings.load();
    EXPECT_GT(made, 100);
    hill().Reading(made + 1);
    const std::string expected = "NOTICE|Hill|Channel1|" + std::to_string(made + 1) + ".1";
    EXPECT_TRUE(WaitFor([&] {
        std::lock_guard guard(lastMutex);
        return last == expected;
    }));
    watching.store(false);
    reader.join();
    ::close(stalled);
}

TEST_F(LiveServer, ASocketPathTooLongIsReportedWithTheWayAround) {
    LiveValueServer::Options options;
    options.socketPath = dir.File(std::string(150, 'd') + "/" + kLiveSocketName);
    std::vector<std::string> problems;
    EXPECT_FALSE(server.Start(options, problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("shorter path"), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("[LiveValues]"), std::string::npos) << problems[0];
}

TEST_F(LiveServer, ALeftOverSocketIsTakenOverButOneInUseIsNot) {
    {
        // A socket file left by a copy that was killed.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, SocketPath().c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    Start();
    LiveValueServer second;
    LiveValueServer::Options options;
    options.socketPath = SocketPath();
    std::vector<std::string> problems;
    EXPECT_FALSE(second.Start(options, problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("another program already serves"), std::string::npos) << problems[0];
    LiveClient client;
    Connect(client);  // the first one still serves
    server.Stop();
    EXPECT_FALSE(std::filesystem::exists(SocketPath()));
}

}  // namespace
}  // namespace svu
