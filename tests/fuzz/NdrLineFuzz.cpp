// Untrusted bytes from the data logger: real-time lines with and without checksum, the size
// announcement of a memory download, and the reply cutter over a whole received block. The
// first byte picks the parser.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzFile.h"
#include "loggers/NdrProtocol.h"

using svu::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace svu;
    if (size < 1) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
        case 0: {
            std::vector<std::string> values;
            const LineVerdict withSum = ParseNdrRealtimeLine(text, true, values);
            Check(withSum != LineVerdict::Ok || values.size() <= text.size());
            std::vector<std::string> plain;
            if (withSum == LineVerdict::Ok) {
                // A line that passes its checksum is also a line without one, plus its checksum.
                Check(ParseNdrRealtimeLine(text, false, plain) == LineVerdict::Ok);
                Check(plain.size() == values.size() + 1 || plain.size() == values.size());
            }
            break;
        }
        case 1: {
            int64_t bytes = -1;
            if (ParseNdrDownloadSize(text, bytes)) {
                Check(bytes >= 0 && bytes <= kNdrMaxDownloadBytes);
            }
            break;
        }
        default: {
            std::string pending = text;
            std::string reply;
            std::size_t before = pending.size() + 1;
            while (TakeNdrReply(pending, reply)) {
                Check(pending.size() < before);  // every reply consumes input
                before = pending.size();
                Check(reply.find('\n') == std::string::npos);
            }
            break;
        }
    }
    return 0;
}
