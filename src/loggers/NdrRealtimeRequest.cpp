#include "loggers/NdrRealtimeRequest.h"

#include <string_view>

#include "loggers/InstrumentLines.h"
#include "loggers/NdrProtocol.h"
#include "loggers/NdrSession.h"

namespace svu {

namespace {

constexpr std::string_view kStreamWithChecksum = "clirt(cs)\r";
constexpr std::string_view kStream = "clirt()\r";

}  // namespace

bool TakeNdrRealtimeLine(NdrSession& session, int attempts, const std::function<void()>& corrupt,
                         std::vector<std::string>& values, bool* checksumMode) {
    session.DiscardInput();
    if (!session.SendOnly(kStreamWithChecksum)) {
        return false;
    }
    bool checksum = true;
    std::string line;
    // The first reply is a refusal or already the first line.
    bool have = session.ReadReply(line);
    if (have && IsNdrError(line)) {
        session.DiscardInput();
        if (!session.SendOnly(kStream)) {
            return false;
        }
        checksum = false;
        have = false;
    }
    if (checksumMode != nullptr) {
        *checksumMode = checksum;
    }
    for (int attempt = 0; attempt < attempts && !session.Cancelled(); ++attempt) {
        if (!have && !session.ReadReply(line)) {
            return session.InvalidResponse();
        }
        have = false;
        switch (ParseNdrRealtimeLine(line, checksum, values)) {
            case LineVerdict::Ok:
                return true;
            case LineVerdict::Corrupt:
                if (corrupt) {
                    corrupt();
                }
                break;
            case LineVerdict::Ignored:
                break;
        }
    }
    return false;
}

}  // namespace svu
