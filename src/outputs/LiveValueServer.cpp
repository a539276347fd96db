#include "outputs/LiveValueServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>

#include "framework/TextUtil.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
constexpr std::size_t kCompactAfter = 64 * 1024;
constexpr int kListenBacklog = 16;

std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = ToLowerAscii(c);
    }
    return folded;
}

void SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL, 0);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

std::string SystemError(int error) {
    return std::strerror(error);
}

}  // namespace

struct LiveValueServer::Link {
    std::string topic;  // folded
    LiveItem item;
};

struct LiveValueServer::Client {
    int fd = -1;
    std::string in;
    std::size_t inScanned = 0;  // bytes of `in` known to hold no line end
    std::string out;
    std::size_t outOffset = 0;
    std::vector<Link> links;
    bool discarding = false;  // inside a line that was too long, up to its end
    bool closing = false;     // close once the replies are sent (QUIT, or the client closed its side)
    bool dead = false;

    bool HasLine() const { return in.find('\n', inScanned) != std::string::npos; }
    bool HasOutput() const { return out.size() > outOffset; }
};

LiveValueServer::LiveValueServer() = default;

LiveValueServer::~LiveValueServer() {
    Stop();
}

bool LiveValueServer::Start(const Options& options, std::vector<std::string>& problems) {
    Stop();
    options_ = options;
    stop_.store(false);
    if (!options.socketPath.empty()) {
        OpenUnixSocket(options.socketPath, problems);
    }
    if (options.tcpPort) {
        OpenTcpPort(*options.tcpPort, problems);
    }
    if (unixFd_ < 0 && tcpFd_ < 0) {
        return false;
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        problems.push_back("Live values: cannot create the server's wake-up event: " + SystemError(errno));
        CloseListeners();
        return false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void LiveValueServer::Stop() {
    if (thread_.joinable()) {
        stop_.store(true);
        Wake();
        thread_.join();
    }
    for (auto& client : clients_) {
        Drop(*client, false);
    }
    clients_.clear();
    clientCount_.store(0);
    CloseListeners();
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
}

bool LiveValueServer::OpenUnixSocket(const std::string& path, std::vector<std::string>& problems) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        problems.push_back(FormatC(
            "Live values: the socket path %s is %zu bytes long, more than the %zu a Unix socket allows. Move the "
            "program folder to a shorter path, or serve on a TCP port of 127.0.0.1 instead (Port in the "
            "[LiveValues] section of stratavue.ini).",
            path.c_str(), path.size(), sizeof address.sun_path - 1));
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        problems.push_back("Live values: cannot create a socket: " + SystemError(errno));
        return false;
    }
    const auto* sa = reinterpret_cast<const sockaddr*>(&address);
    int rc = ::bind(fd, sa, sizeof address);
    if (rc != 0 && errno == EADDRINUSE) {
        // Left behind by a copy that ended without tidying up, or served by one still running.
        struct stat st {};
        const bool isSocket = ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
        const int probe = isSocket ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0) : -1;
        const bool alive = probe >= 0 && ::connect(probe, sa, sizeof address) == 0;
        if (probe >= 0) {
            ::close(probe);
        }
        if (!isSocket || alive) {
            problems.push_back(isSocket ? "Live values: another program already serves " + path +
                                              "; stop it, or run this one from another program folder."
                                        : "Live values: " + path + " exists and is not a socket; remove it.");
            ::close(fd);
            return false;
        }
        ::unlink(path.c_str());
        rc = ::bind(fd, sa, sizeof address);
    }
    if (rc != 0 || ::listen(fd, kListenBacklog) != 0) {
        problems.push_back("Live values: cannot serve on " + path + ": " + SystemError(errno));
        ::close(fd);
        return false;
    }
    struct stat st {};
    socketInode_ = ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    SetNonBlocking(fd);
    unixFd_ = fd;
    socketPath_ = path;
    return true;
}

bool LiveValueServer::OpenTcpPort(int port, std::vector<std::string>& problems) {
    if (port < 0 || port > 65535) {
        problems.push_back(FormatC("Live values: %d is not a TCP port (1 to 65535).", port));
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        problems.push_back("Live values: cannot create a socket: " + SystemError(errno));
        return false;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never another address
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, kListenBacklog) != 0) {
        problems.push_back(FormatC("Live values: cannot serve on port %d of 127.0.0.1: %s. Choose another port.",
                                   port, SystemError(errno).c_str()));
        ::close(fd);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    tcpPort_ = ntohs(address.sin_port);
    SetNonBlocking(fd);
    tcpFd_ = fd;
    return true;
}

void LiveValueServer::CloseListeners() {
    if (unixFd_ >= 0) {
        ::close(unixFd_);
        unixFd_ = -1;
        // Only our own socket file: another copy may have taken the name since.
        struct stat st {};
        if (::stat(socketPath_.c_str(), &st) == 0 && st.st_ino == socketInode_) {
            ::unlink(socketPath_.c_str());
        }
    }
    socketPath_.clear();
    if (tcpFd_ >= 0) {
        ::close(tcpFd_);
        tcpFd_ = -1;
    }
    tcpPort_ = 0;
}

void LiveValueServer::Wake() {
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
}

// ---- The runtime's side: copy and wake, nothing more ----

void LiveValueServer::OnReading(const WeatherStation& station) {
    bool wake = false;
    {
        std::lock_guard guard(mutex_);
        const int index = directory_.UpdateValues(station);
        if (index >= 0 && adviseLinks_.load(std::memory_order_relaxed) > 0 &&
            stationPending_[static_cast<std::size_t>(index)] == 0) {
            stationPending_[static_cast<std::size_t>(index)] = 1;
            pendingStations_.push_back(index);
            wake = true;
        }
    }
    if (wake) {
        Wake();
    }
}

void LiveValueServer::OnStationsChanged(const StationList& stations, StationsChange why) {
    LiveDirectory fresh;
    fresh.Assign(stations);  // takes the stations' locks, so not under ours
    bool wake = false;
    {
        std::lock_guard guard(mutex_);
        fresh.realtime = directory_.realtime;
        directory_ = std::move(fresh);
        stationPending_.assign(directory_.stations.size(), 0);
        pendingStations_.clear();
        if (why == StationsChange::Saved && adviseLinks_.load() > 0) {
            pendingSaved_ = true;
            wake = true;
        }
    }
    if (wake) {
        Wake();
    }
}

void LiveValueServer::OnAcquisitionChanged(bool running) {
    bool wake = false;
    {
        std::lock_guard guard(mutex_);
        directory_.realtime = running;
        if (adviseLinks_.load() > 0) {
            pendingRealtime_ = true;
            wake = true;
        }
    }
    if (wake) {
        Wake();
    }
}

// ---- The server thread ----

void LiveValueServer::Run() {
    std::vector<pollfd> fds;
    while (!stop_.load()) {
        fds.clear();
        fds.push_back({wakeFd_, POLLIN, 0});
        bool busy = false;  // some client still has lines waiting for their turn
        for (const auto& c : clients_) {
            short events = 0;
            if (c->HasLine()) {
                busy = true;
            } else if (!c->closing) {
                events |= POLLIN;
            }
            if (c->HasOutput()) {
                events |= POLLOUT;
            }
            fds.push_back({c->fd, events, 0});
        }
        const std::size_t listeners = fds.size();
        for (int fd : {unixFd_, tcpFd_}) {
            if (fd >= 0) {
                fds.push_back({fd, POLLIN, 0});
            }
        }
        if (::poll(fds.data(), fds.size(), busy ? 0 : -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
            PostNotices();
        }
        for (std::size_t i = 0; i < clients_.size() && i + 1 < listeners; ++i) {
            Client& c = *clients_[i];
            if (!c.dead && (fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !c.closing && !c.HasLine()) {
                ReadFrom(c);
            }
            HandleLines(c);
            Flush(c);
        }
        for (std::size_t i = listeners; i < fds.size(); ++i) {
            if (fds[i].revents & POLLIN) {
                Accept(fds[i].fd);
            }
        }
        std::erase_if(clients_, [](const auto& c) { return c->dead; });
        clientCount_.store(clients_.size());
    }
}

void LiveValueServer::Accept(int listener) {
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    auto client = std::make_unique<Client>();
    client->fd = fd;
    if (clients_.size() >= options_.maxClients) {
        Send(*client, FormatLiveLine({live::kError, "too many clients"}));
        Flush(*client);
        Drop(*client, false);
        return;
    }
    Send(*client, FormatLiveLine({live::kHello, "Stratavue", std::to_string(kLiveProtocolVersion)}));
    Flush(*client);
    clients_.push_back(std::move(client));
    clientCount_.store(clients_.size());
}

void LiveValueServer::ReadFrom(Client& c) {
    char buffer[kReadChunk];
    const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            Drop(c, false);
        }
        return;
    }
    if (n == 0) {
        c.closing = true;  // the client has finished sending: answer what it sent, then close
        if (!c.discarding && !c.in.empty()) {
            c.in += '\n';  // a last line without its line end still counts
        }
        return;
    }
    std::string_view data(buffer, static_cast<std::size_t>(n));
    if (c.discarding) {
        const std::size_t end = data.find('\n');
        if (end == std::string_view::npos) {
            return;
        }
        c.discarding = false;
        data.remove_prefix(end + 1);
    }
    c.in.append(data);
    if (!c.HasLine()) {
        c.inScanned = c.in.size();
        if (c.in.size() >= kMaxLiveLineBytes) {
            // Refused whole: the rest of the line is skipped when it comes.
            Send(c, FormatLiveLine({live::kError, "line too long"}));
            c.in.clear();
            c.inScanned = 0;
            c.discarding = true;
        }
    }
}

void LiveValueServer::HandleLines(Client& c) {
    std::size_t start = 0;
    for (std::size_t handled = 0; handled < options_.linesPerTurn && !c.dead; ++handled) {
        const std::size_t end = c.in.find('\n', start);
        if (end == std::string::npos) {
            break;
        }
        const std::string_view line(c.in.data() + start, end - start);
        if (line.size() + 1 > kMaxLiveLineBytes) {
            Send(c, FormatLiveLine({live::kError, "line too long"}));
        } else {
            HandleLine(c, line);
        }
        start = end + 1;
    }
    if (start > 0) {
        c.in.erase(0, start);
    }
    c.inScanned = 0;
}

void LiveValueServer::HandleLine(Client& c, std::string_view line) {
    LiveCommand command;
    std::string error;
    if (!ParseLiveCommand(line, command, error)) {
        Send(c, FormatLiveLine({live::kError, error}));
        return;
    }
    const std::string_view topic = command.topic;
    const std::string_view item = command.item;
    switch (command.verb) {
        case LiveVerb::Ping: Send(c, FormatLiveLine({live::kPong})); return;
        case LiveVerb::Quit:
            Send(c, FormatLiveLine({live::kBye}));
            c.closing = true;
            c.in.clear();
            return;
        case LiveVerb::Request: {
            std::optional<std::string> value;
            {
                std::lock_guard guard(mutex_);
                value = directory_.Answer(topic, item);
            }
            Send(c, value ? FormatLiveLine({live::kData, topic, item, *value})
                          : FormatLiveLine({live::kNoData, topic, item}));
            return;
        }
        case LiveVerb::Advise:
        case LiveVerb::Unadvise: {
            std::optional<LiveAddress> address;
            {
                std::lock_guard guard(mutex_);
                address = directory_.Resolve(topic, item);
            }
            const bool advise = command.verb == LiveVerb::Advise;
            if (!address) {
                Send(c, FormatLiveLine({advise ? live::kRefused : live::kNotAdvising, topic, item}));
                return;
            }
            Link link{Fold(topic), address->item};
            const auto held = std::find_if(c.links.begin(), c.links.end(),
                                           [&](const Link& l) { return l.topic == link.topic && l.item == link.item; });
            if (advise) {
                if (held == c.links.end()) {
                    if (c.links.size() >= options_.maxLinksPerClient) {
                        Send(c, FormatLiveLine({live::kError, "too many advise links"}));
                        return;
                    }
                    c.links.push_back(std::move(link));
                    adviseLinks_.fetch_add(1);
                }
                Send(c, FormatLiveLine({live::kAdvising, topic, item}));
            } else if (held == c.links.end()) {
                Send(c, FormatLiveLine({live::kNotAdvising, topic, item}));
            } else {
                c.links.erase(held);
                adviseLinks_.fetch_sub(1);
                Send(c, FormatLiveLine({live::kUnadvised, topic, item}));
            }
            return;
        }
    }
}

void LiveValueServer::Send(Client& c, const std::string& line) {
    if (c.dead) {
        return;
    }
    c.out += line;
    if (c.out.size() - c.outOffset > options_.maxQueueBytes) {
        Drop(c, true);
    }
}

void LiveValueServer::Flush(Client& c) {
    while (!c.dead && c.HasOutput()) {
        const ssize_t n =
            ::send(c.fd, c.out.data() + c.outOffset, c.out.size() - c.outOffset, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                break;
            }
            if (errno != EINTR) {
                Drop(c, false);
            }
            continue;
        }
        c.outOffset += static_cast<std::size_t>(n);
    }
    if (c.dead) {
        return;
    }
    if (!c.HasOutput()) {
        c.out.clear();
        c.outOffset = 0;
        if (c.closing && !c.HasLine()) {
            Drop(c, false);
        }
    } else if (c.outOffset > kCompactAfter) {
        c.out.erase(0, c.outOffset);
        c.outOffset = 0;
    }
}

void LiveValueServer::Drop(Client& c, bool slow) {
    if (c.dead) {
        return;
    }
    c.dead = true;
    adviseLinks_.fetch_sub(static_cast<int>(c.links.size()));
    c.links.clear();
    c.out.clear();
    c.in.clear();
    ::close(c.fd);
    if (slow) {
        droppedClients_.fetch_add(1);
    }
}

void LiveValueServer::PostNotices() {
    // Copied under the lock, formatted and queued without it.
    bool realtime = false;
    bool saved = false;
    LiveDirectory copy;
    std::vector<LiveStation> changed;
    {
        std::lock_guard guard(mutex_);
        realtime = std::exchange(pendingRealtime_, false);
        saved = std::exchange(pendingSaved_, false);
        for (int index : pendingStations_) {
            changed.push_back(directory_.stations[static_cast<std::size_t>(index)]);
            stationPending_[static_cast<std::size_t>(index)] = 0;
        }
        pendingStations_.clear();
        if (realtime || saved) {
            copy = directory_;
        }
    }
    if (adviseLinks_.load() == 0) {
        return;
    }
    // Every link on `topic` whose item `value` answers gets a notice.
    const auto deliver = [this](const std::string& topic,
                                const std::function<std::optional<std::string>(const LiveItem&)>& value) {
        const std::string folded = Fold(topic);
        for (auto& client : clients_) {
            for (std::size_t i = 0; i < client->links.size() && !client->dead; ++i) {
                const Link& link = client->links[i];
                if (link.topic != folded) {
                    continue;
                }
                if (const std::optional<std::string> v = value(link.item)) {
                    Send(*client, FormatLiveLine({live::kNotice, topic, LiveItemName(link.item), *v}));
                }
            }
        }
    };
    const std::string information = LiveInformationTopic();
    if (realtime || saved) {
        deliver(information, [&](const LiveItem& item) -> std::optional<std::string> {
            const bool posted = (realtime && item.kind == LiveItemKind::Realtime) ||
                                (saved && (item.kind == LiveItemKind::StationCount ||
                                           item.kind == LiveItemKind::StationName));
            return posted ? copy.Value({-1, item}) : std::nullopt;
        });
    }
    if (saved) {
        for (std::size_t s = 0; s < copy.stations.size(); ++s) {
            deliver(copy.stations[s].name, [&](const LiveItem& item) -> std::optional<std::string> {
                return item.kind == LiveItemKind::ChannelName ? copy.Value({static_cast<int>(s), item}) : std::nullopt;
            });
        }
    }
    LiveDirectory one;
    for (LiveStation& station : changed) {
        one.stations.assign(1, std::move(station));
        deliver(one.stations[0].name, [&](const LiveItem& item) -> std::optional<std::string> {
            return item.kind == LiveItemKind::ChannelValue ? one.Value({0, item}) : std::nullopt;
        });
    }
}

}  // namespace svu
