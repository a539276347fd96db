// stratavue-cli live: the reference client of the live-value server of a program running in the
// same program folder (or on a TCP port of 127.0.0.1). "request" prints one value; "advise" holds
// links on one or more items of a topic and prints each notice as it arrives, until Ctrl+C.

#include <ostream>

#include "cli/Cli.h"
#include "cli/StopSignals.h"
#include "outputs/LiveClient.h"
#include "outputs/LiveProtocol.h"
#include "outputs/LiveValueServer.h"

namespace svu::cli {

namespace {

constexpr int kReplyTimeoutMs = 10000;
constexpr int kNoticeWaitMs = 250;

// --port N: the server's TCP port on 127.0.0.1; 0 when absent (the program folder's socket).
int PortOption(Args& args) {
    std::string portText;
    if (!args.Option("--port", portText)) {
        return 0;
    }
    const long port = Args::ToInteger("--port", portText);
    if (port < 1 || port > 65535) {
        throw UsageError{"--port takes a TCP port from 1 to 65535"};
    }
    return static_cast<int>(port);
}

bool Connect(Context& ctx, int port, LiveClient& client) {
    std::string error;
    const bool ok = port != 0 ? client.ConnectTcp(port, error)
                              : client.ConnectUnix(ctx.programDir + kLiveSocketName, error);
    if (!ok) {
        ctx.err << "stratavue-cli live: cannot reach the live-value server: " << error
                << "\n(Is Stratavue running in this program folder, with live values switched on?)\n";
    }
    return ok;
}

// The reply to the last command: the first line that is not a notice.
bool Reply(Context& ctx, LiveClient& client, std::vector<std::string>& fields) {
    for (;;) {
        const LiveClient::Read r = client.ReadLine(fields, kReplyTimeoutMs);
        if (r != LiveClient::Read::Line) {
            ctx.err << "stratavue-cli live: "
                    << (r == LiveClient::Read::Closed ? "the server closed the connection" : "no reply from the server")
                    << "\n";
            return false;
        }
        if (fields[0] != live::kNotice) {
            return true;
        }
    }
}

// A notice as printed: topic, item and value separated by tabs, escaped as the protocol does.
std::string NoticeLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (i > 1) {
            line += '\t';
        }
        AppendLiveField(line, fields[i]);
    }
    return line;
}

int Request(Context& ctx, Args& args) {
    const int port = PortOption(args);
    const std::string topic = args.Positional("TOPIC");
    const std::string item = args.Positional("ITEM");
    args.ExpectEnd();
    LiveClient client;
    if (!Connect(ctx, port, client)) {
        return kExitFailure;
    }
    std::vector<std::string> fields;
    if (!client.Send({"REQUEST", topic, item}) || !Reply(ctx, client, fields)) {
        return kExitFailure;
    }
    if (fields[0] == live::kData && fields.size() == 4) {
        ctx.out << fields[3] << "\n";
        return kExitOk;
    }
    ctx.err << "stratavue-cli live: no data for topic \"" << topic << "\", item \"" << item << "\"\n";
    return kExitFailure;
}

int Advise(Context& ctx, Args& args) {
    const int port = PortOption(args);
    std::string countText;
    const long count = args.Option("--count", countText) ? Args::ToInteger("--count", countText) : 0;
    if (count < 0) {
        throw UsageError{"--count takes a number of notices of 1 or more"};
    }
    const std::string topic = args.Positional("TOPIC");
    std::vector<std::string> items{args.Positional("ITEM")};
    for (std::string more = args.OptionalPositional(""); !more.empty(); more = args.OptionalPositional("")) {
        items.push_back(more);
    }
    args.ExpectEnd();
    LiveClient client;
    if (!Connect(ctx, port, client)) {
        return kExitFailure;
    }

    StopSignals signals;
    std::vector<std::string> fields;
    std::size_t links = 0;
    for (const std::string& item : items) {
        if (!client.Send({"ADVISE", topic, item}) || !Reply(ctx, client, fields)) {
            return kExitFailure;
        }
        if (fields[0] == live::kAdvising) {
            ++links;
        } else {
            ctx.err << "stratavue-cli live: refused: topic \"" << topic << "\", item \"" << item << "\"\n";
        }
    }
    if (links == 0) {
        return kExitFailure;
    }
    ctx.out << std::flush;
    long seen = 0;
    while (!StopSignalReceived() && (count == 0 || seen < count)) {
        const LiveClient::Read r = client.ReadLine(fields, kNoticeWaitMs);
        if (r == LiveClient::Read::Closed) {
            ctx.err << "stratavue-cli live: the server closed the connection\n";
            return kExitFailure;
        }
        if (r == LiveClient::Read::Line && fields[0] == live::kNotice) {
            ctx.out << NoticeLine(fields) << "\n" << std::flush;
            ++seen;
        }
    }
    return kExitOk;
}

}  // namespace

int RunLive(Context& ctx, Args& args) {
    const std::string what = args.Positional("request or advise");
    if (what == "request") {
        return Request(ctx, args);
    }
    if (what == "advise") {
        return Advise(ctx, args);
    }
    throw UsageError{"unknown live command " + what + " (request or advise)"};
}

}  // namespace svu::cli
