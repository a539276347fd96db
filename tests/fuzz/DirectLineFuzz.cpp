// Untrusted bytes from the Direct station's serial line: real-time lines, menu replies, the
// byte stream cut into lines, and the downloaded memory image. The first byte picks the parser.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "stations/DirectProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace svu::direct;
    if (size < 2) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    switch (data[0] % 4) {
        case 0: {
            RealtimeReading reading;
            const int channels = data[1] % 20;
            if (ParseRealtimeLine(text, channels, reading) == LineStatus::Ok &&
                (reading.values.size() != static_cast<std::size_t>(channels) || reading.date.size() != 8)) {
                __builtin_trap();
            }
            break;
        }
        case 1: {
            int count = 0;
            int type = 0;
            double value = 0;
            std::string buffer = text;
            std::string reply;
            while (TakeReply(buffer, reply)) {
                IsMenuPrompt(reply);
                ParseCountBefore(reply, "Channels", count);
                ParseCountBefore(reply, "Counters", count);
                ParseNumberAfterLineFeed(reply, value);
                ParseTypeCode(reply, type);
                ParseLeadingNumber(reply);
                ParseChannelName(reply);
            }
            break;
        }
        case 2: {
            RealtimeLineAssembler assembler;
            std::string line;
            for (std::size_t at = 0; at < text.size(); at += 1 + data[1] % 16) {
                assembler.Append(std::string_view(text).substr(at, 1 + data[1] % 16));
                while (assembler.NextLine(line)) {
                    RealtimeReading reading;
                    ParseRealtimeLine(line, 4, reading);
                }
            }
            break;
        }
        default: {
            // The header fields lie far into the image: repeat the input to fill one.
            std::vector<uint8_t> image(0x800 + data[1] * 16u);
            for (std::size_t i = 0; i < image.size(); ++i) {
                image[i] = text.empty() ? 0 : static_cast<uint8_t>(text[i % text.size()]);
            }
            std::string log;
            std::string error;
            ConvertMemoryImage(image, 2026, log, &error);
            break;
        }
    }
    return 0;
}
