// Feeds arbitrary bytes to the live-value protocol as a client's lines: the field splitter, the
// command parser, the item parser and the answers of a small directory. Nothing may crash, every
// line that splits must come back unchanged through the formatter, and an item that resolves must
// name itself the same way again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzFile.h"
#include "outputs/LiveDirectory.h"
#include "outputs/LiveProtocol.h"

namespace {

using svu::fuzz::Check;

svu::LiveDirectory MakeDirectory() {
    svu::LiveDirectory d;
    d.realtime = true;
    d.stations.push_back({nullptr, "Hill", {"Date", "Time", "Temp "}, {"05/12/26", "14:05:00", " 5.5"}, 3});
    d.stations.push_back({nullptr, "Information", {"X"}, {}, 2});
    return d;
}

std::string Join(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += '\t';
        }
        svu::AppendLiveField(line, fields[i]);
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const svu::LiveDirectory directory = MakeDirectory();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> fields;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);

        if (svu::SplitLiveLine(line, fields)) {
            Check(!fields.empty());
            std::vector<std::string> again;
            Check(svu::SplitLiveLine(Join(fields), again) && again == fields);
        }
        svu::LiveCommand command;
        std::string error;
        if (!svu::ParseLiveCommand(line, command, error)) {
            Check(!error.empty());
            continue;
        }
        const std::optional<svu::LiveAddress> address = directory.Resolve(command.topic, command.item);
        const std::optional<std::string> answer = directory.Answer(command.topic, command.item);
        Check(address.has_value() == answer.has_value());
        if (address) {
            // The name a notice carries resolves to the same item.
            const std::optional<svu::LiveAddress> renamed =
                directory.Resolve(command.topic, svu::LiveItemName(address->item));
            Check(renamed && renamed->station == address->station && renamed->item == address->item);
        }
    }
    return 0;
}
