#include "outputs/WebApiServer.h"

#include <httplib.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "outputs/WebHistory.h"
#include "outputs/WebHistoryFormat.h"
#include "outputs/WebJson.h"
#include "outputs/WebRequestParsing.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr std::size_t kEventsPerWrite = 64;
constexpr uintmax_t kMaxFileBytes = 16u << 20;

void SendJson(httplib::Response& res, const std::string& body, int status = 200) {
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(body, kJson);
}

void SendError(httplib::Response& res, int status, const std::string& message) {
    SendJson(res, ErrorJson(message), status);
}

const char* StatusSentence(int status) {
    switch (status) {
        case 400:
            return "the request is malformed";
        case 404:
            return "nothing is served at this path";
        case 405:
            return "only GET and HEAD are served";
        case 413:
            return "the request is too large";
        case 414:
            return "the request's path and query are too long";
        default:
            return "the request could not be served";
    }
}

std::optional<std::string> Param(const httplib::Request& req, const char* name) {
    if (!req.has_param(name)) {
        return std::nullopt;
    }
    return req.get_param_value(name);
}

std::string DisplayJson(const WebDisplay& display, const std::vector<WebStationView>& stations) {
    using nlohmann::json;
    json pages = json::array();
    for (const WebDisplayPage& page : display.pages) {
        if (page.items.empty()) {
            continue;
        }
        json items = json::array();
        for (const WebDisplayItem& item : page.items) {
            json channelName = nullptr;
            for (const WebStationView& view : stations) {
                const auto& names = view.latest->channels->names;
                if (view.latest->name == item.station && item.channel >= 0 &&
                    static_cast<std::size_t>(item.channel) < names.size()) {
                    channelName = names[item.channel];
                    break;
                }
            }
            items.push_back(json{{"kind", item.kind},
                                 {"station", item.station.empty() ? json(nullptr) : json(item.station)},
                                 {"channel", item.channel},
                                 {"channelName", channelName},
                                 {"label", item.label},
                                 {"x", item.x},
                                 {"y", item.y},
                                 {"width", item.width},
                                 {"height", item.height}});
        }
        pages.push_back(json{{"index", page.index}, {"name", page.name}, {"items", std::move(items)}});
    }
    return DumpJson(json{{"file", display.file}, {"pages", std::move(pages)}});
}

}  // namespace

/// One event-stream client: where it has got to, and what it is still to be sent first.
struct WebApiServer::Stream {
    uint64_t cursor = 0;
    std::string preface;
};

WebApiServer::WebApiServer() = default;

WebApiServer::~WebApiServer() {
    Stop();
}

void WebApiServer::SetDisplay(std::optional<WebDisplay> display) {
    std::lock_guard guard(displayMutex_);
    display_ = std::move(display);
}

bool WebApiServer::Start(const Options& options, std::vector<std::string>& problems) {
    Stop();
    options_ = options;
    const std::string where = options.address + ":" + std::to_string(options.port);
    tokenRequired_ = !IsLoopbackAddress(options.address);
    if (tokenRequired_ && options.token.empty()) {
        problems.push_back("The web server was not started: it is to listen on " + where +
                           ", which other computers can reach, and no access token is set. Set Token in the "
                           "[WebServer] section of the settings, or listen on 127.0.0.1.");
        return false;
    }
    webRoot_.clear();
    if (!options.webFolder.empty()) {
        std::error_code ec;
        const auto root = std::filesystem::canonical(options.webFolder, ec);
        if (!ec) {
            webRoot_ = root.string();
        }
    }
    stopping_ = false;
    server_ = std::make_unique<httplib::Server>();
    const std::size_t threads = std::max<std::size_t>(options.threads, options.maxStreams + 4);
    server_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server_->set_read_timeout(options.readTimeout);
    server_->set_write_timeout(options.writeTimeout);
    server_->set_keep_alive_max_count(100);
    server_->set_keep_alive_timeout(5);
    server_->set_payload_max_length(0);
    Route();
    port_ = 0;
    int port = 0;
    if (options.port == 0) {
        port = server_->bind_to_any_port(options.address);
    } else if (server_->bind_to_port(options.address, options.port)) {
        port = options.port;
    }
    if (port <= 0) {
        problems.push_back("The web server could not listen on " + where +
                           ": the address is not one of this computer's, or the port is in use. Choose another "
                           "address or port.");
        server_.reset();
        return false;
    }
    started_ = std::chrono::steady_clock::now();
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // Stop must not come before the listening loop runs, or it would find nothing to stop.
    while (!server_->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    port_ = port;
    return true;
}

void WebApiServer::Stop() {
    if (!server_) {
        return;
    }
    stopping_ = true;
    board_.Close();
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
    server_.reset();
    port_ = 0;
}

void WebApiServer::OnReading(const WeatherStation& station) {
    board_.Update(station);
}

void WebApiServer::OnStationsChanged(const StationList& stations, StationsChange why) {
    board_.Assign(stations, why);
}

void WebApiServer::OnAcquisitionChanged(bool running) {
    board_.SetRunning(running);
}

bool WebApiServer::Authorized(const httplib::Request& req) const {
    if (!tokenRequired_) {
        return true;
    }
    if (req.has_header("Authorization")) {
        const std::optional<std::string_view> token = BearerToken(req.get_header_value("Authorization"));
        if (token && TokensMatch(*token, options_.token)) {
            return true;
        }
    }
    return req.has_param("token") && TokensMatch(req.get_param_value("token"), options_.token);
}

void WebApiServer::Route() {
    httplib::Server& s = *server_;
    s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        using Handled = httplib::Server::HandlerResponse;
        if (req.method != "GET" && req.method != "HEAD") {
            res.set_header("Allow", "GET, HEAD");
            res.set_header("Connection", "close");
            SendError(res, 405, StatusSentence(405));
            return Handled::Handled;
        }
        const std::string length = req.get_header_value("Content-Length");
        if ((!length.empty() && length != "0") || req.has_header("Transfer-Encoding")) {
            res.set_header("Connection", "close");
            SendError(res, 413, "a request here carries no body");
            return Handled::Handled;
        }
        const bool guarded = req.path.rfind("/api/", 0) == 0 || req.path == "/metrics";
        if (guarded && !Authorized(req)) {
            res.set_header("WWW-Authenticate", "Bearer");
            SendError(res, 401, "the access token is missing or wrong");
            return Handled::Handled;
        }
        return Handled::Unhandled;
    });
    s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty()) {
            SendJson(res, ErrorJson(StatusSentence(res.status)), res.status);
        }
    });
    s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        SendError(res, 500, "the request could not be served");
    });
    s.Get("/api/stations", [this](const httplib::Request&, httplib::Response& res) {
        SendJson(res, StationsJson(board_.Stations(), board_.Running(), std::time(nullptr)));
    });
    s.Get(R"(/api/stations/(.+))",
          [this](const httplib::Request& req, httplib::Response& res) { ServeStation(req, res); });
    s.Get("/api/alarms", [this](const httplib::Request&, httplib::Response& res) {
        SendJson(res, AlarmsJson(board_.Stations(), board_.Running(), DisableAllAlarms().load() != 0));
    });
    s.Get("/api/stream", [this](const httplib::Request& req, httplib::Response& res) { ServeStream(req, res); });
    s.Get("/api/history", [this](const httplib::Request& req, httplib::Response& res) { ServeHistory(req, res); });
    s.Get("/api/display", [this](const httplib::Request&, httplib::Response& res) { ServeDisplay(res); });
    s.Get("/metrics", [this](const httplib::Request&, httplib::Response& res) {
        WebServerCounts counts;
        const auto now = std::chrono::steady_clock::now();
        counts.uptimeSeconds = std::chrono::duration<double>(now - started_).count();
        counts.streamClients = streams_.load();
        counts.droppedStreamClients = dropped_.load();
        res.set_header("Cache-Control", "no-store");
        res.set_content(MetricsText(board_.Stations(), board_.Running(), counts, now),
                        "text/plain; version=0.0.4; charset=utf-8");
    });
    s.Get(R"(/api/.*)", [](const httplib::Request&, httplib::Response& res) {
        SendError(res, 404, "no such API endpoint; see docs/web-api.md");
    });
    s.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) { ServeFile(req, res); });
}

void WebApiServer::ServeStation(const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.matches[1];
    const std::optional<WebStationView> view = board_.Find(name);
    if (!view) {
        SendError(res, 404, "no station is named \"" + name + "\"");
        return;
    }
    SendJson(res, DumpJson(ReadingJson(*view->latest)));
}

void WebApiServer::ServeStream(const httplib::Request& req, httplib::Response& res) {
    // Counted before the check so that two racing for the last place cannot both take it.
    if (streams_.fetch_add(1) >= options_.maxStreams) {
        streams_.fetch_sub(1);
        SendError(res, 503, "too many event streams are open; try again later");
        return;
    }
    auto stream = std::make_shared<Stream>();
    stream->preface = "retry: 3000\n\n";
    stream->cursor = board_.LastSeq();
    std::string lastId = req.get_header_value("Last-Event-ID");
    if (lastId.empty()) {
        lastId = Param(req, "lastEventId").value_or("");
    }
    if (!lastId.empty()) {
        const std::optional<EventId> id = ParseEventId(lastId);
        if (id && id->run == board_.Run() && id->seq <= stream->cursor) {
            stream->cursor = id->seq;  // resumes; NextEvents says when that is too far back
        } else {
            stream->preface += "event: reset\ndata: " +
                               DumpJson(nlohmann::json{{"reason", "the events after " + lastId + " are not kept"}}) +
                               "\n\n";
        }
    }
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Accel-Buffering", "no");
    res.set_chunked_content_provider(
        "text/event-stream; charset=utf-8",
        [this, stream](std::size_t, httplib::DataSink& sink) {
            return StreamStep(*stream, [&sink](const std::string& text) { return sink.write(text.data(), text.size()); });
        },
        [this](bool) { streams_.fetch_sub(1); });
}

bool WebApiServer::StreamStep(Stream& stream, std::function<bool(const std::string&)> write) {
    if (!stream.preface.empty()) {
        const std::string preface = std::move(stream.preface);
        stream.preface.clear();
        return write(preface);
    }
    std::vector<WebEventPtr> events;
    switch (board_.NextEvents(stream.cursor, kEventsPerWrite, options_.keepAlivePeriod, events)) {
        case WebBoard::Wait::Closed:
            return false;
        case WebBoard::Wait::Timeout:
            return !stopping_ && write(": keep-alive\n\n");
        case WebBoard::Wait::Behind:
            // Too slow to keep up: closed rather than buffered; the browser reconnects and is told.
            dropped_.fetch_add(1);
            return false;
        case WebBoard::Wait::Events:
            break;
    }
    std::string text;
    for (const WebEventPtr& event : events) {
        text += event->Text(board_.Run());
        stream.cursor = event->seq;
    }
    return !stopping_ && write(text);
}

void WebApiServer::ServeHistory(const httplib::Request& req, httplib::Response& res) {
    std::string error;
    const auto query = ParseHistoryQuery([&req](const char* name) { return Param(req, name); }, std::time(nullptr),
                                         options_.maxHistoryDays, error);
    if (!query) {
        SendError(res, 400, error);
        return;
    }
    const std::optional<WebStationView> view = board_.Find(query->station);
    if (!view) {
        SendError(res, 404, "no station is named \"" + query->station + "\"");
        return;
    }
    if (history_ == nullptr) {
        SendError(res, 503, "the logs cannot be read here");
        return;
    }
    const std::unique_ptr<HistoryRecords> records =
        history_->Load(view->logFolder, view->latest->name, query->from, query->to);
    const auto columns = MatchHistoryColumns(query->channels, records->Columns(), error);
    if (!columns) {
        SendError(res, 400, error);
        return;
    }
    const std::size_t cells = records->Count() * std::max<std::size_t>(columns->size(), 1);
    if (cells > options_.maxHistoryCells) {
        SendError(res, 413,
                  "the answer would hold " + std::to_string(records->Count()) + " records of " +
                      std::to_string(columns->size()) + " channels, more than " +
                      std::to_string(options_.maxHistoryCells) + " values; ask for a shorter period or fewer channels");
        return;
    }
    res.set_header("Cache-Control", "no-store");
    if (query->csv) {
        res.set_content(HistoryCsv(*columns, *records), "text/csv; charset=utf-8");
    } else {
        res.set_content(HistoryJson(*query, *columns, *records), kJson);
    }
}

void WebApiServer::ServeDisplay(httplib::Response& res) {
    std::optional<WebDisplay> display;
    {
        std::lock_guard guard(displayMutex_);
        display = display_;
    }
    if (!display) {
        SendError(res, 404, "no display file is loaded");
        return;
    }
    SendJson(res, DisplayJson(*display, board_.Stations()));
}

void WebApiServer::ServeFile(const httplib::Request& req, httplib::Response& res) {
    namespace fs = std::filesystem;
    const std::optional<std::string> relative = DashboardRelativePath(req.path);
    if (webRoot_.empty() || !relative) {
        SendError(res, 404, "no such file");
        return;
    }
    // The path is checked again once links are followed: a link may not lead out of the folder.
    std::error_code ec;
    const fs::path path = fs::canonical(fs::path(webRoot_) / *relative, ec);
    const std::string text = path.string();
    if (ec || text.size() <= webRoot_.size() || text.compare(0, webRoot_.size(), webRoot_) != 0 ||
        text[webRoot_.size()] != '/' || !fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kMaxFileBytes) {
        SendError(res, 404, "no such file");
        return;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream body;
    body << in.rdbuf();
    if (!in) {
        SendError(res, 404, "no such file");
        return;
    }
    res.set_header("Cache-Control", "no-cache");
    res.set_content(body.str(), DashboardContentType(*relative));
}

}  // namespace svu
