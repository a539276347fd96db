// Feeds arbitrary text as every reply of a set-up download, and to each reply parser on its own.
// Nothing may crash; a read that fits nothing leaves the setting as it was and is reported.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFile.h"
#include "loggers/NdrCommandLine.h"
#include "loggers/NdrConfig.h"
#include "loggers/NdrReplies.h"

namespace {

using svu::fuzz::Check;

class EchoLine : public svu::NdrCommandLine {
public:
    explicit EchoLine(std::string reply) : reply_(std::move(reply)) {}
    bool Transact(const std::string&, std::string* reply) override {
        *reply = reply_;
        return true;
    }
    bool SendOnly(const std::string&) override { return true; }
    bool ShowProgress(const std::string&, int) override { return true; }

private:
    std::string reply_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto rate = svu::ndr::ParseRate(text)) {
        Check(*rate >= 0 && *rate <= 99 * 3600 + 99 * 60 + 99);
    }
    if (const auto list = svu::ndr::ParseChannelList(text)) {
        const std::string back = svu::ndr::ChannelListText(*list);
        Check(svu::ndr::ParseChannelList(back) == list);
    }
    double a = 0;
    double b = 0;
    svu::ndr::ParseNumberPair(text, a, b);
    svu::NDR_Channel channel;
    if (channel.SetFunctionText(text)) {
        svu::NDR_Channel again;
        Check(again.SetFunctionText(channel.FunctionText()) && again.function == channel.function);
    }
    if (channel.SetFormatText(text)) {
        svu::NDR_Channel again;
        Check(again.SetFormatText(channel.FormatText()) && again.FormatText() == channel.FormatText());
    }
    channel.SetInputsText(text);
    static int runs = 0;
    if (size < 256 && runs++ % 16 == 0) {
        // The same reply to every command of a download (1490 commands: one input in sixteen).
        EchoLine line(text);
        svu::NDR ndr;
        Check(ndr.ReadFromLogger(line));
        Check(ndr.loggerText == text.substr(0, text.find_last_not_of("\r\n") + 1) ||
              text.find_first_not_of("\r\n") == std::string::npos);
    }
    return 0;
}
