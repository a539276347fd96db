// Untrusted bytes from the line-sending instruments: the wind sensor's, particle counter's and
// Triscan's lines and download, the sound level meter's binary answer and online stream. The
// first byte picks the parser.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "loggers/InstrumentLines.h"
#include "loggers/SoundLevelProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace svu;
    if (size < 2) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    switch (data[0] % 4) {
        case 0: {
            InstrumentLineAssembler assembler(64);
            std::string line;
            for (std::size_t at = 0; at < text.size(); at += 1 + data[1] % 16) {
                assembler.Append(std::string_view(text).substr(at, 1 + data[1] % 16));
                while (assembler.NextLine(line)) {
                    if (line.size() > 64) {
                        __builtin_trap();
                    }
                    WindReading wind;
                    if (ParseSpeedDirectionLine(line, wind) == LineVerdict::Ok &&
                        (wind.direction.size() > 3 || wind.speed.size() > 4)) {
                        __builtin_trap();
                    }
                    ParticleReading particles;
                    ParseParticleLine(line, particles);
                    TriscanReading triscan;
                    if (ParseTriscanLine(line, triscan) == LineVerdict::Ok && triscan.direction.size() != 3) {
                        __builtin_trap();
                    }
                }
            }
            break;
        }
        case 1: {
            TimeT start = 0;
            if (ParseTriscanStartLine(text, start)) {
                TriscanLogRecord(start, text);
            }
            IsTriscanEnd(text);
            TriscanLogRecord(0, text);
            break;
        }
        case 2: {
            SoundLevels levels;
            if (DecodeLevelAnswer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), levels)) {
                LevelTexts(levels);
            }
            break;
        }
        default: {
            OnlineLineReader reader;
            std::vector<std::string> values(static_cast<std::size_t>(data[1] % 12));
            std::string line;
            for (const char c : text) {
                if (reader.Feed(static_cast<uint8_t>(c), line)) {
                    if (line.size() >= kOnlineLineLimit) {
                        __builtin_trap();
                    }
                    const OnlineLine parsed = ParseOnlineLine(line, values);
                    if (parsed.count > kSoundChannels) {
                        __builtin_trap();
                    }
                }
            }
            break;
        }
    }
    return 0;
}
