#pragma once

// A device for the generic serial station: it answers each configured request pattern with a
// configured reply, text or binary, optionally followed by a checksum, and can be told to fall
// silent or spoil its checksum now and then.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

namespace svu::sim {

struct GenericSimOptions {
    struct Answer {
        std::string request;  ///< decoded; "?" matches any byte
        std::string reply;    ///< decoded; "{n}" stands for the number of this reply (1, 2, ...)
    };
    std::vector<Answer> answers;
    bool checksum = false;  ///< two upper-case hexadecimal digits of the reply's byte sum follow it
    std::string end;        ///< bytes after the reply and checksum
    int delayMs = 0;        ///< before each reply
    int silentEvery = 0;    ///< every Nth request gets no reply
    int badChecksumEvery = 0;  ///< every Nth reply carries a wrong checksum
    std::string linkPath;
    bool verbose = false;
};

/// Decodes \\ \r \n \t \e \f and \xHH in an option text.
std::string DecodeSimEscapes(const std::string& text);

/// Reads the options after "generic"; false with a message. help is set for --help.
bool ParseGenericSimOptions(const std::vector<std::string>& args, GenericSimOptions& options, bool& help,
                            std::string& error);
const char* GenericSimHelp();

class GenericDevice : public SimDevice {
public:
    explicit GenericDevice(GenericSimOptions options);

    std::string OnInput(std::string_view bytes, int64_t tickMs) override;
    std::string OnTick(int64_t tickMs) override;
    void OnLineClosed(int64_t tickMs) override;

    /// Requests recognised so far (answered or not).
    uint64_t Requests() const { return requests_; }

private:
    std::string Reply(const std::string& text);

    GenericSimOptions options_;
    std::string buffer_;
    uint64_t requests_ = 0;
    uint64_t replies_ = 0;
    std::string pending_;
    int64_t dueTick_ = -1;
};

}  // namespace svu::sim
