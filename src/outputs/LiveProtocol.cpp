#include "outputs/LiveProtocol.h"

#include <climits>

#include "framework/StringTable.h"
#include "framework/TextUtil.h"

namespace svu {

namespace {

constexpr int kInformationTopic = 208;
constexpr int kRealtimeItem = 209;
constexpr int kStationCountItem = 212;
constexpr int kStationPrefix = 213;
constexpr int kChannelCountItem = 214;
constexpr int kChannelPrefix = 215;
constexpr int kNamePrefix = 216;
constexpr int kStationFormat = 217;
constexpr int kNameFormat = 218;
constexpr int kChannelFormat = 219;

struct VerbName {
    std::string_view name;
    LiveVerb verb;
    std::size_t fields;  // the verb included
};

constexpr VerbName kVerbs[] = {
    {"REQUEST", LiveVerb::Request, 3}, {"ADVISE", LiveVerb::Advise, 3}, {"UNADVISE", LiveVerb::Unadvise, 3},
    {"PING", LiveVerb::Ping, 1},       {"QUIT", LiveVerb::Quit, 1},
};

// The number after an item prefix: plain digits, 1 or more, no larger than an int holds.
std::optional<int> ItemNumber(std::string_view digits) {
    if (digits.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > INT_MAX) {
            return std::nullopt;
        }
    }
    if (value < 1) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::optional<LiveItem> Numbered(LiveItemKind kind, std::string_view item, std::string_view prefix) {
    if (const auto n = ItemNumber(item.substr(prefix.size()))) {
        return LiveItem{kind, *n};
    }
    return std::nullopt;
}

}  // namespace

void AppendLiveField(std::string& out, std::string_view field) {
    for (char c : field) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c; break;
        }
    }
}

std::string FormatLiveLine(std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (std::string_view f : fields) {
        if (!first) {
            line += '\t';
        }
        first = false;
        AppendLiveField(line, f);
    }
    line += '\n';
    return line;
}

bool SplitLiveLine(std::string_view line, std::vector<std::string>& fields) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    fields.assign(1, std::string());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c != '\\') {
            fields.back() += c;
        } else {
            if (++i == line.size()) {
                return false;
            }
            switch (line[i]) {
                case '\\': fields.back() += '\\'; break;
                case 't': fields.back() += '\t'; break;
                case 'n': fields.back() += '\n'; break;
                case 'r': fields.back() += '\r'; break;
                default: return false;
            }
        }
    }
    return true;
}

bool ParseLiveCommand(std::string_view line, LiveCommand& command, std::string& error) {
    std::vector<std::string> fields;
    if (!SplitLiveLine(line, fields)) {
        error = "bad escape: a backslash must be followed by \\, t, n or r";
        return false;
    }
    if (fields.size() == 1 && fields[0].empty()) {
        error = "empty line";
        return false;
    }
    for (const VerbName& v : kVerbs) {
        if (!EqualsNoCase(fields[0], v.name)) {
            continue;
        }
        if (fields.size() != v.fields) {
            error = std::string(v.name) + (v.fields == 1 ? " takes no fields" : " takes a topic and an item");
            return false;
        }
        command.verb = v.verb;
        command.topic = v.fields > 1 ? std::move(fields[1]) : std::string();
        command.item = v.fields > 2 ? std::move(fields[2]) : std::string();
        return true;
    }
    error = "unknown command";
    return false;
}

std::optional<LiveItem> ParseLiveItem(bool information, std::string_view item) {
    if (information) {
        if (EqualsNoCase(item, Str(kRealtimeItem))) {
            return LiveItem{LiveItemKind::Realtime, 0};
        }
        // The exact count item is tested before the prefix it begins with.
        if (EqualsNoCase(item, Str(kStationCountItem))) {
            return LiveItem{LiveItemKind::StationCount, 0};
        }
        const std::string prefix = Str(kStationPrefix);
        if (StartsWithNoCase(item, prefix)) {
            return Numbered(LiveItemKind::StationName, item, prefix);
        }
        return std::nullopt;
    }
    if (EqualsNoCase(item, Str(kChannelCountItem))) {
        return LiveItem{LiveItemKind::ChannelCount, 0};
    }
    const std::string channel = Str(kChannelPrefix);
    if (StartsWithNoCase(item, channel)) {
        return Numbered(LiveItemKind::ChannelValue, item, channel);
    }
    const std::string name = Str(kNamePrefix);
    if (StartsWithNoCase(item, name)) {
        return Numbered(LiveItemKind::ChannelName, item, name);
    }
    return std::nullopt;
}

std::string LiveItemName(const LiveItem& item) {
    switch (item.kind) {
        case LiveItemKind::Realtime: return Str(kRealtimeItem);
        case LiveItemKind::StationCount: return Str(kStationCountItem);
        case LiveItemKind::StationName: return FormatString(kStationFormat, item.number);
        case LiveItemKind::ChannelCount: return Str(kChannelCountItem);
        case LiveItemKind::ChannelValue: return FormatString(kChannelFormat, item.number);
        case LiveItemKind::ChannelName: return FormatString(kNameFormat, item.number);
    }
    return {};
}

std::string LiveInformationTopic() {
    return Str(kInformationTopic);
}

}  // namespace svu
