#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "e2e/ProgramSupport.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Settings.h"
#include "outputs/TestProcess.h"
#include "outputs/WebServerSettings.h"

namespace svu {
namespace {

using nlohmann::json;
using test::CliProgram;
using test::WaitUntil;

// A port that was free a moment ago (the service is told it on its command line).
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    ::close(fd);
    return ntohs(addr.sin_port);
}

// The service replays a looping file station and logs it; the web server shows it.
class WebServerCli : public ::testing::Test {
protected:
    WebServerCli() { folder.SaveHill(30); }

    test::ProgramFolder folder;
};

TEST_F(WebServerCli, ServesTheRunningStationsAndTheirLogs) {
    if (!std::filesystem::exists(CliProgram())) {
        GTEST_SKIP() << CliProgram() << " is not built";
    }
    const int port = FreePort();
    test::Process service(
        {CliProgram(), "--program-dir=" + folder.Path(), "run", "--http", "127.0.0.1:" + std::to_string(port)});
    ASSERT_TRUE(service.Started());
    httplib::Client client("127.0.0.1", port);
    const auto get = [&](const std::string& path) {
        const auto res = client.Get(path.c_str());
        return res && res->status == 200 ? json::parse(res->body) : json();
    };
    ASSERT_TRUE(WaitUntil([&] { return get("/api/stations").contains("stations"); }));
    const json stations = get("/api/stations");
    EXPECT_EQ(stations["acquisition"], true);
    EXPECT_EQ(stations["stations"][0]["name"], "Hill");
    EXPECT_EQ(stations["stations"][0]["kind"], "WSFile");

    // The readings go on: seq climbs, and the values are the replayed ones.
    ASSERT_TRUE(WaitUntil([&] { return get("/api/stations/Hill").value("seq", 0) >= 3; }));
    const json reading = get("/api/stations/Hill");
    EXPECT_TRUE(reading["channels"][2]["value"].is_number()) << reading.dump();

    // What the service logged is read back by /api/history.
    json history;
    ASSERT_TRUE(WaitUntil([&] {
        history = get("/api/history?station=Hill&from=2026-12-05&to=2026-12-06&channels=Temp");
        return history.contains("records") && !history["records"].empty();
    })) << history.dump();
    EXPECT_EQ(history["channels"][0]["name"], "Temp");
    EXPECT_TRUE(history["records"][0]["values"][0].is_number()) << history.dump();
    EXPECT_TRUE(history["records"][0]["time"].get<std::string>().starts_with("2026-12-05T14:")) << history.dump();

    const auto metrics = client.Get("/metrics");
    ASSERT_TRUE(metrics);
    EXPECT_NE(metrics->body.find("stratavue_readings_total{station=\"Hill\"} "), std::string::npos);

    service.Signal(SIGTERM);
    EXPECT_EQ(service.Wait(), 0);
}

TEST_F(WebServerCli, RefusesAnOpenAddressWithoutAToken) {
    test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "run", "--http", "0.0.0.0:0", "--for", "1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no access token is set"), std::string::npos) << r.err;
    r = test::RunCli({"--program-dir", folder.Path(), "run", "--http", "somewhere", "--for", "1"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--http somewhere"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace svu
