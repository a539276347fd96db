#include "loggers/NdrSession.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/StringTable.h"
#include "loggers/NdrProtocol.h"
#include "platform/SerialControl.h"

namespace svu {

bool SerialControlStream::Write(std::string_view bytes) {
    SerialControl* comm = comm_();
    return comm != nullptr && comm->Output(bytes);
}

bool SerialControlStream::Read(std::string& into) {
    SerialControl* comm = comm_();
    if (comm == nullptr) {
        return false;
    }
    const int waiting = comm->InBufferCount();
    if (waiting < 0) {
        return false;
    }
    if (waiting > 0) {
        into += comm->Input();
    }
    return true;
}

void SerialControlStream::Discard() {
    if (SerialControl* comm = comm_()) {
        comm->DiscardInput();
    }
}

namespace {

constexpr int kInvalidResponse = 557;
constexpr auto kByteWait = std::chrono::milliseconds(5);
// After the menu's title line the rest of the menu follows; it is let through before option 10.
constexpr int64_t kMenuSettleMs = 300;
// Replies read after option 10 before the prompt must have come.
constexpr int kCommandLineReplies = 4;

}  // namespace

NdrSession::NdrSession(NdrByteStream& stream, Clock& clock, NdrSessionHooks hooks)
    : stream_(stream), clock_(clock), hooks_(std::move(hooks)) {}

bool NdrSession::InvalidResponse() {
    if (!Cancelled() && hooks_.report) {
        hooks_.report(Str(kInvalidResponse));
    }
    return false;
}

bool NdrSession::Fill() {
    return stream_.Read(pending_);
}

void NdrSession::DiscardInput() {
    stream_.Discard();
    pending_.clear();
}

std::string NdrSession::TakePending() {
    std::string taken;
    taken.swap(pending_);
    return taken;
}

bool NdrSession::SendByte(char byte) {
    return stream_.Write(std::string_view(&byte, 1));
}

bool NdrSession::ReadReply(std::string& reply, int timeoutMs) {
    const int64_t end = clock_.TickMs() + timeoutMs;
    while (true) {
        if (TakeNdrReply(pending_, reply)) {
            return true;
        }
        if (!Fill()) {
            return false;
        }
        if (TakeNdrReply(pending_, reply)) {
            return true;
        }
        if (clock_.TickMs() >= end || Cancelled()) {
            return false;
        }
        clock_.SleepFor(kByteWait);
    }
}

bool NdrSession::EnterCommandMode(int attempts) {
    DiscardInput();
    bool menu = false;
    for (int attempt = 0; attempt < attempts && !menu && !Cancelled(); ++attempt) {
        if (!SendByte(kNdrEscape)) {
            return InvalidResponse();
        }
        const int64_t end = clock_.TickMs() + kMenuWindowMs;
        std::string reply;
        while (!menu && clock_.TickMs() < end && !Cancelled()) {
            const int left = static_cast<int>(std::clamp<int64_t>(end - clock_.TickMs(), 1, kReplyTimeoutMs));
            if (ReadReply(reply, left)) {
                menu = IsNdrMainMenu(reply);
            } else if (!Fill()) {
                break;  // the device has gone; its loss has been reported
            }
        }
        if (!menu) {
            InvalidResponse();
        }
    }
    if (!menu) {
        return false;
    }
    // The rest of the menu (and its question, which has no line end) is not an answer.
    int64_t quietSince = clock_.TickMs();
    while (clock_.TickMs() - quietSince < kMenuSettleMs && !Cancelled()) {
        const std::size_t before = pending_.size();
        if (!Fill()) {
            return InvalidResponse();
        }
        if (pending_.size() != before) {
            quietSince = clock_.TickMs();
        }
        clock_.SleepFor(kByteWait);
    }
    DiscardInput();
    if (!stream_.Write(kNdrCommandLineOption)) {
        return InvalidResponse();
    }
    std::string reply;
    for (int n = 0; n < kCommandLineReplies; ++n) {
        if (!ReadReply(reply)) {
            return InvalidResponse();
        }
        if (reply == kNdrPrompt) {
            return true;
        }
    }
    return InvalidResponse();
}

bool NdrSession::AwaitEcho(std::string_view command) {
    const int64_t end = clock_.TickMs() + kReplyTimeoutMs;
    std::string reply;
    while (true) {
        const int left = static_cast<int>(std::max<int64_t>(end - clock_.TickMs(), 0));
        if (left == 0 || !ReadReply(reply, left)) {
            return InvalidResponse();
        }
        if (IsNdrEcho(reply, command)) {
            return true;
        }
        // A prompt or the tail of an earlier answer that arrived late: not ours.
    }
}

bool NdrSession::Transact(std::string_view command, std::string* reply) {
    DiscardInput();
    if (!stream_.Write(command)) {
        return InvalidResponse();
    }
    if (!AwaitEcho(command)) {
        return false;
    }
    std::string answer;
    if (!ReadReply(answer)) {
        return InvalidResponse();
    }
    if (IsNdrError(answer)) {
        InvalidResponse();
        if (hooks_.refused) {
            std::string shown(command);
            while (!shown.empty() && (shown.back() == '\r' || shown.back() == '\n')) {
                shown.pop_back();
            }
            hooks_.refused(shown, answer);
        }
        return false;
    }
    if (reply != nullptr) {
        *reply = answer == kNdrPrompt ? std::string() : answer;
    }
    return true;
}

bool NdrSession::SendOnly(std::string_view command) {
    DiscardInput();
    // Whatever is read before the echo has been seen is the logger's business, not the answer:
    // dropping input before it would let a late echo land in front of what follows.
    if (!stream_.Write(command)) {
        return InvalidResponse();
    }
    return AwaitEcho(command);
}

NdrSession::ReceiveResult NdrSession::Receive(int64_t total, const std::function<bool(std::string_view)>& sink,
                                              const std::function<void(int64_t)>& progress) {
    int64_t received = 0;
    int64_t lastByte = clock_.TickMs();
    while (received < total) {
        if (Cancelled()) {
            return ReceiveResult::Cancelled;
        }
        if (!pending_.empty()) {
            const auto take = static_cast<std::size_t>(std::min<int64_t>(total - received, pending_.size()));
            if (!sink(std::string_view(pending_).substr(0, take))) {
                return ReceiveResult::SinkFailed;
            }
            pending_.erase(0, take);
            received += static_cast<int64_t>(take);
            lastByte = clock_.TickMs();
            if (progress) {
                progress(received);
            }
            continue;
        }
        if (!Fill()) {
            return ReceiveResult::LinkFailed;
        }
        if (pending_.empty()) {
            if (clock_.TickMs() - lastByte >= kTransferSilenceMs) {
                return ReceiveResult::Silent;
            }
            clock_.SleepFor(kByteWait);
        }
    }
    return ReceiveResult::Done;
}

}  // namespace svu
