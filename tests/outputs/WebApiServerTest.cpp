#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "framework/TempDir.h"
#include "outputs/LiveTestSupport.h"
#include "outputs/WebApiServer.h"
#include "outputs/WebHistory.h"
#include "outputs/WebRequestParsing.h"
#include "outputs/WebTestSupport.h"
#include "stations/Alarm.h"

namespace svu {
namespace {

using nlohmann::json;
using test::RawClient;
using test::WaitFor;

// Records of a day file as the log reader would give them: one per minute from `start`.
class FakeHistory : public HistoryReader {
public:
    std::unique_ptr<HistoryRecords> Load(const std::string& folder, const std::string& station, TimeT from,
                                         TimeT to) override {
        auto records = std::make_unique<Records>();
        for (int i = 0; i < count; ++i) {
            const TimeT t = start + 60 * i;
            if (t >= from && t <= to) {
                records->times.push_back(t);
                records->rows.push_back({std::to_string(i), i % 2 == 0 ? "1.5" : "", "x"});
            }
        }
        lastStation = station;
        return records;
    }

    struct Records : HistoryRecords {
        std::vector<std::string> columns{"Temp (C)", "Rain", "Note"};
        std::vector<TimeT> times;
        std::vector<std::vector<std::string>> rows;
        const std::vector<std::string>& Columns() const override { return columns; }
        std::size_t Count() const override { return times.size(); }
        TimeT Time(std::size_t r) const override { return times[r]; }
        std::string_view Field(std::size_t r, int c) const override {
            return static_cast<std::size_t>(c) < rows[r].size() ? std::string_view(rows[r][c]) : std::string_view();
        }
    };

    TimeT start = 1'765'000'000;
    int count = 10;
    std::string lastStation;
};

class WebApi : public ::testing::Test {
protected:
    WebApi() {
        auto hill = std::make_unique<test::TickStation>("Hill", 3);
        hill->channelNames = {"Temp (C)", "Gust [m/s]", "Note"};
        hill->channelTypes = {0, 1, 2};
        auto alarm = std::make_unique<Alarm>();
        alarm->name = "Gust";
        alarm->channel = 1;
        alarm->threshold = 30.0f;
        alarm->enabled = 1;
        alarm->kind = 0;
        hill->alarms.push_back(std::move(alarm));
        hill->host = &host;
        stations.push_back(std::move(hill));
        server.SetHistoryReader(&history);
        server.OnStationsChanged(stations, StationsChange::Loaded);
        server.OnAcquisitionChanged(true);
    }
    ~WebApi() override {
        server.Stop();
        hill().host = nullptr;
    }

    test::TickStation& hill() { return static_cast<test::TickStation&>(*stations[0]); }
    void Start(WebApiServer::Options options = {}) {
        options.port = 0;
        std::vector<std::string> problems;
        ASSERT_TRUE(server.Start(options, problems)) << (problems.empty() ? "" : problems[0]);
    }
    httplib::Client Client() { return httplib::Client("127.0.0.1", server.Port()); }
    json GetJson(const std::string& path, int status = 200) {
        auto client = Client();
        const auto res = client.Get(path.c_str());
        if (!res) {
            ADD_FAILURE() << path << ": no answer";
            return {};
        }
        EXPECT_EQ(res->status, status) << path << ": " << res->body;
        EXPECT_EQ(res->get_header_value("Content-Type"), "application/json; charset=utf-8") << path;
        return json::parse(res->body);
    }

    test::TempDir dir;
    StationList stations;
    FakeHistory history;
    WebApiServer server;
    test::ForwardingHost host{[this](WeatherStation& s) { server.OnReading(s); }};
};

TEST_F(WebApi, StationsReadingsAlarmsAndMetricsHaveTheDocumentedShapes) {
    Start();
    json list = GetJson("/api/stations");
    EXPECT_EQ(list["acquisition"], true);
    ASSERT_EQ(list["stations"].size(), 1u);
    const json& s = list["stations"][0];
    EXPECT_EQ(s["name"], "Hill");
    EXPECT_EQ(s["kind"], "TickStation");
    EXPECT_EQ(s["active"], true);
    EXPECT_TRUE(s["lastReading"].is_null());
    EXPECT_EQ(s["channels"][0], (json{{"index", 0}, {"name", "Temp (C)"}, {"type", 0}, {"unit", "C"}, {"derived", false}}));
    EXPECT_EQ(s["channels"][1]["unit"], "m/s");
    EXPECT_EQ(s["channels"][2]["unit"], "");

    // Reading 40: channel i holds "40.i"; the gust (40.2) passes the alert's threshold.
    hill().Reading(40);
    hill().StoreReading(40, [](std::vector<std::string>& v) { v = {"12.5", " 40.2 ", "n/a"}; });
    json reading = GetJson("/api/stations/hILL");
    EXPECT_EQ(reading["name"], "Hill");
    EXPECT_EQ(reading["seq"], 2);
    EXPECT_TRUE(reading["time"].get<std::string>().starts_with("1970-01-01T"));
    EXPECT_EQ(reading["channels"][0], (json{{"index", 0}, {"name", "Temp (C)"}, {"text", "12.5"}, {"value", 12.5}}));
    EXPECT_EQ(reading["channels"][1]["value"], 40.2);
    EXPECT_TRUE(reading["channels"][2]["value"].is_null());
    EXPECT_EQ(reading["state"], "alert");
    EXPECT_EQ(reading["alarms"][0], (json{{"name", "Gust"}, {"kind", "alert"}, {"enabled", true}, {"triggered", true},
                                          {"channel", 1}, {"channelName", "Gust [m/s]"}, {"condition", ">"},
                                          {"threshold", 30}}));

    json alarms = GetJson("/api/alarms");
    EXPECT_EQ(alarms["state"], "alert");
    EXPECT_EQ(alarms["disableAll"], false);
    EXPECT_EQ(alarms["stations"][0]["state"], "alert");
    EXPECT_NE(alarms["stations"][0]["messages"].get<std::string>().find("Alert: \"Gust\" triggered"), std::string::npos);
    EXPECT_EQ(alarms["alertsText"].get<std::string>().rfind("Hill\r\nAlert:", 0), 0u);

    EXPECT_EQ(GetJson("/api/stations/Valley", 404)["error"], "no station is named \"Valley\"");
    EXPECT_TRUE(GetJson("/api/nothing", 404).contains("error"));
    EXPECT_EQ(GetJson("/api/display", 404)["error"], "no display file is loaded");
    WebDisplay display{"demo.svu", {{0, "Page 1", {{"value", "Hill", 1, "Gust", 1, 2, 3, 4}}}, {1, "Empty", {}}}};
    server.SetDisplay(display);
    json pages = GetJson("/api/display");
    ASSERT_EQ(pages["pages"].size(), 1u);
    EXPECT_EQ(pages["pages"][0]["items"][0]["channelName"], "Gust [m/s]");
    EXPECT_EQ(pages["pages"][0]["items"][0]["height"], 4);

    auto client = Client();
    const auto metrics = client.Get("/metrics");
    ASSERT_TRUE(metrics);
    EXPECT_NE(metrics->body.find("stratavue_readings_total{station=\"Hill\"} 2\n"), std::string::npos) << metrics->body;
    EXPECT_NE(metrics->body.find("stratavue_alarms_active{station=\"Hill\"} 1\n"), std::string::npos);
    EXPECT_NE(metrics->body.find("stratavue_seconds_since_last_reading{station=\"Hill\"} "), std::string::npos);
    EXPECT_NE(metrics->body.find("# TYPE stratavue_uptime_seconds gauge\nstratavue_uptime_seconds "), std::string::npos);
}

TEST_F(WebApi, HistoryIsReadCheckedAndBounded) {
    WebApiServer::Options options;
    options.maxHistoryCells = 12;
    Start(options);
    const TimeT start = history.start;
    const std::string range = "station=hill&from=" + std::to_string(start) + "&to=" + std::to_string(start + 180);
    json h = GetJson("/api/history?" + range + "&channels=Rain,0");
    EXPECT_EQ(history.lastStation, "Hill");
    EXPECT_EQ(h["channels"], (json::array({{{"column", 1}, {"name", "Rain"}}, {{"column", 0}, {"name", "Temp (C)"}}})));
    ASSERT_EQ(h["records"].size(), 4u);
    EXPECT_EQ(h["records"][0]["values"], (json::array({1.5, 0})));
    EXPECT_TRUE(h["records"][1]["values"][0].is_null());
    EXPECT_EQ(h["records"][1]["time"], FormatIsoTime(start + 60));

    auto client = Client();
    const auto csv = client.Get(("/api/history?" + range + "&channels=temp%20(c),1&format=csv").c_str());
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->get_header_value("Content-Type"), "text/csv; charset=utf-8");
    EXPECT_EQ(csv->body.substr(0, csv->body.find('\r')), "time,Temp (C),Rain");
    EXPECT_NE(csv->body.find(",1,\r\n"), std::string::npos) << csv->body;

    EXPECT_EQ(GetJson("/api/history?" + range + "&channels=Wind", 400)["error"],
              "channels: the log has no column named \"Wind\"");
    EXPECT_TRUE(GetJson("/api/history?" + range + "&channels=7", 400).contains("error"));
    EXPECT_TRUE(GetJson("/api/history?station=Hill&from=yesterday", 400).contains("error"));
    EXPECT_TRUE(GetJson("/api/history?station=Hill&from=2026-02-30", 400).contains("error"));
    EXPECT_TRUE(GetJson("/api/history?station=Hill&from=2026-12-02&to=2026-12-01", 400).contains("error"));
    EXPECT_TRUE(GetJson("/api/history?station=Hill&from=2020-01-01Z&to=2026-01-01Z", 400).contains("error"));
    EXPECT_TRUE(GetJson("/api/history?" + range + "&format=xml", 400).contains("error"));
    EXPECT_TRUE(GetJson("/api/history", 400).contains("error"));
    EXPECT_TRUE(GetJson("/api/history?station=Valley", 404).contains("error"));
    // 5 records of 3 channels pass the bound of 12 values.
    const json big = GetJson("/api/history?station=Hill&from=" + std::to_string(start) + "&to=" +
                                 std::to_string(start + 240),
                             413);
    EXPECT_NE(big["error"].get<std::string>().find("shorter period"), std::string::npos);
}

TEST_F(WebApi, TokenIsNeededOnlyOffLoopback) {
    WebApiServer::Options options;
    options.address = "0.0.0.0";
    options.port = 0;
    std::vector<std::string> problems;
    EXPECT_FALSE(server.Start(options, problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("no access token is set"), std::string::npos);
    EXPECT_EQ(server.Port(), 0);

    std::filesystem::create_directories(dir.File("web"));
    std::ofstream(dir.File("web/index.html")) << "<html></html>";
    options.webFolder = dir.File("web");
    options.token = "s3cret-token";
    problems.clear();
    ASSERT_TRUE(server.Start(options, problems));
    auto client = Client();
    const auto status = [&](const std::string& path, httplib::Headers headers = {}) {
        const auto res = client.Get(path.c_str(), headers);
        return res ? res->status : -1;
    };
    EXPECT_EQ(status("/api/stations"), 401);
    EXPECT_EQ(status("/metrics"), 401);
    EXPECT_EQ(status("/api/stream"), 401);
    EXPECT_EQ(status("/api/stations?token=s3cret-tokeN"), 401);
    EXPECT_EQ(status("/api/stations?token=s3cret-token-and-more"), 401);
    EXPECT_EQ(status("/api/stations", {{"Authorization", "Bearer wrong"}}), 401);
    EXPECT_EQ(status("/api/stations", {{"Authorization", "Basic s3cret-token"}}), 401);
    EXPECT_EQ(status("/api/stations?token=s3cret-token"), 200);
    EXPECT_EQ(status("/metrics", {{"Authorization", "Bearer s3cret-token"}}), 200);
    EXPECT_EQ(status("/"), 200);  // the dashboard's files hold no station data

    // On loopback a token, even a set one, is never asked for.
    server.Stop();
    options.address = "127.0.0.2";
    ASSERT_TRUE(server.Start(options, problems));
    httplib::Client loop("127.0.0.2", server.Port());
    const auto res = loop.Get("/api/stations");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
}

TEST_F(WebApi, WritesOversizedAndMalformedRequestsAreRefusedAndChangeNothing) {
    Start();
    hill().Reading(5);
    const std::string before = GetJson("/api/stations/Hill").dump();
    auto client = Client();
    const auto post = client.Post("/api/stations/Hill", "{\"name\":\"x\"}", "application/json");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 405);
    EXPECT_EQ(post->get_header_value("Allow"), "GET, HEAD");
    const auto del = client.Delete("/api/stations/Hill");
    ASSERT_TRUE(del);
    EXPECT_EQ(del->status, 405);

    const auto raw = [&](const std::string& request) {
        RawClient c(server.Port());
        EXPECT_TRUE(c.Send(request));
        return RawClient::Status(c.ReadUntil("\r\n\r\n"));
    };
    EXPECT_EQ(raw("GET /api/stations HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n"), 413);
    EXPECT_EQ(raw("GET /api/stations/" + std::string(20000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n"), 414);
    EXPECT_EQ(raw("GARBAGE\r\n\r\n"), 400);
    EXPECT_EQ(raw("GET /api/stations HTTP/1.1\r\nHost: x\r\nX-Long: " + std::string(20000, 'h') + "\r\n\r\n"), 400);
    EXPECT_EQ(raw("GET /api/history?station=Hill&from=%ZZ HTTP/1.1\r\nHost: x\r\n\r\n"), 400);

    EXPECT_EQ(GetJson("/api/stations/Hill").dump(), before);
    EXPECT_EQ(hill().values[0], "5.1");
    EXPECT_EQ(hill().name, "Hill");
}

TEST_F(WebApi, StreamDeliversEachReadingOnceAndInOrderAndResumes) {
    Start();
    RawClient c(server.Port());
    ASSERT_TRUE(c.Send("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto head = c.Take("retry: 3000\n\n");
    ASSERT_TRUE(head);
    EXPECT_EQ(RawClient::Status(*head), 200);
    EXPECT_NE(head->find("text/event-stream"), std::string::npos);
    ASSERT_TRUE(WaitFor([&] { return server.StreamClients() == 1; }));

    constexpr int kReadings = 300;
    for (int k = 1; k <= kReadings; ++k) {
        hill().Reading(k);
    }
    std::string lastId;
    for (int k = 1; k <= kReadings; ++k) {
        const auto event = c.Take("\n\n");
        ASSERT_TRUE(event) << "event " << k;
        ASSERT_EQ(test::EventField(*event, "event"), "reading");
        const json data = json::parse(test::EventField(*event, "data"));
        ASSERT_EQ(data["seq"], k);
        ASSERT_EQ(data["channels"][0]["text"], std::to_string(k) + ".1");
        lastId = test::EventField(*event, "id");
    }
    EXPECT_FALSE(c.Take("event: reading", 200)) << "an event came twice";

    // A browser that reconnects with its last id gets what it missed, and only that.
    hill().Reading(kReadings + 1);
    RawClient again(server.Port());
    ASSERT_TRUE(again.Send("GET /api/stream HTTP/1.1\r\nHost: x\r\nLast-Event-ID: " + lastId + "\r\n\r\n"));
    ASSERT_TRUE(again.Take("retry: 3000\n\n"));
    const auto missed = again.Take("\n\n");
    ASSERT_TRUE(missed);
    EXPECT_EQ(json::parse(test::EventField(*missed, "data"))["seq"], kReadings + 1);

    // An id of another run is told to start again.
    RawClient stale(server.Port());
    ASSERT_TRUE(stale.Send("GET /api/stream?lastEventId=1-5 HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_TRUE(stale.Take("retry: 3000\n\n"));
    ASSERT_TRUE(stale.Take("event: reset\ndata: "));
}

TEST_F(WebApi, AStreamClientThatNeverReadsDoesNotHoldReadingsUp) {
    WebApiServer::Options options;
    options.writeTimeout = std::chrono::seconds(1);
    Start(options);
    RawClient stuck(server.Port(), 4096);
    ASSERT_TRUE(stuck.Send("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_TRUE(WaitFor([&] { return server.StreamClients() == 1; }));

    // Readings on a thread of their own, as a station makes them; this thread only watches.
    constexpr long kReadings = 20000;
    std::thread station([&] {
        for (long k = 1; k <= kReadings; ++k) {
            hill().Reading(k);
        }
    });
    const bool allProcessed = WaitFor([&] { return hill().readings.load() == kReadings; }, std::chrono::seconds(60));
    station.join();
    EXPECT_TRUE(allProcessed) << hill().readings.load() << " readings processed with a stuck client";
    // The stuck client is let go; a new one is served at once.
    EXPECT_TRUE(WaitFor([&] { return server.StreamClients() == 0; }));
    RawClient fresh(server.Port());
    ASSERT_TRUE(fresh.Send("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_TRUE(fresh.Take("retry: 3000\n\n"));
    hill().Reading(kReadings + 1);
    const auto event = fresh.Take("\n\n");
    ASSERT_TRUE(event);
    EXPECT_EQ(json::parse(test::EventField(*event, "data"))["seq"], kReadings + 1);
}

TEST_F(WebApi, DashboardFilesCannotEscapeTheirFolder) {
    namespace fs = std::filesystem;
    fs::create_directories(dir.File("web/img"));
    std::ofstream(dir.File("web/index.html")) << "<html>dashboard</html>";
    std::ofstream(dir.File("web/app.js")) << "let x = 1;";
    std::ofstream(dir.File("web/img/dial.svg")) << "<svg/>";
    std::ofstream(dir.File("web/.env")) << "hidden";
    std::ofstream(dir.File("secret.txt")) << "secret";
    fs::create_symlink(dir.File("secret.txt"), dir.File("web/link.txt"));
    WebApiServer::Options options;
    options.webFolder = dir.File("web");
    Start(options);

    auto client = Client();
    const auto index = client.Get("/");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->status, 200);
    EXPECT_EQ(index->body, "<html>dashboard</html>");
    EXPECT_EQ(index->get_header_value("Content-Type"), "text/html; charset=utf-8");
    const auto js = client.Get("/app.js");
    ASSERT_TRUE(js);
    EXPECT_EQ(js->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
    const auto svg = client.Get("/img/dial.svg");
    ASSERT_TRUE(svg);
    EXPECT_EQ(svg->get_header_value("Content-Type"), "image/svg+xml");

    for (const std::string path : {"/../secret.txt", "/%2e%2e/secret.txt", "/img/../../secret.txt", "/.env",
                                   "/link.txt", "/img/", "/img", "/%2fetc/passwd", "//etc/passwd", "/missing.js"}) {
        RawClient c(server.Port());
        ASSERT_TRUE(c.Send("GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n"));
        const std::string response = c.ReadUntil("}");
        EXPECT_EQ(RawClient::Status(response), 404) << path;
        EXPECT_EQ(response.find("secret"), std::string::npos) << path;
        EXPECT_EQ(response.find("hidden"), std::string::npos) << path;
    }
}

}  // namespace
}  // namespace svu
