#include "sim/NdrConfigStore.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace svu::sim {

namespace {

// How a setting's value is checked when it is set, and how it is kept for reading back.
enum class Kind { Text, Flag, Int, Word, Rate, Numbers, IntList, Function, Format, Gain };

struct Setting {
    const char* name;
    const char* qualifier;  // "channel", "sound", ...: a second argument that selects the setting
    int first;              // range of the number argument; 0 and 0 for the plain settings
    int last;
    Kind kind;
    std::vector<const char*> words;  // Word: the vocabulary; Numbers/IntList: unused
    int count = 0;                   // Numbers: how many; IntList: at most how many
    int second = 0;                  // a second number argument 1..second (short-message numbers)
};

const std::vector<Setting>& Settings() {
    static const std::vector<Setting> table = {
        {"sltext", nullptr, 0, 0, Kind::Text, {}},
        {"slnumber", nullptr, 0, 0, Kind::Int, {}},
        {"sllogmode", nullptr, 0, 0, Kind::Flag, {}},
        {"sllograte", nullptr, 0, 0, Kind::Rate, {}},
        {"sllogratefast", nullptr, 0, 0, Kind::Rate, {}},
        {"samode", nullptr, 0, 0, Kind::Flag, {}},
        {"spwmflag", "channel", 1, 2, Kind::Flag, {}},
        {"spwminput", nullptr, 1, 2, Kind::Int, {}},
        {"sscibaud", nullptr, 1, 2, Kind::Int, {}},
        {"sscidata", nullptr, 1, 2, Kind::Int, {}},
        {"sscistop", nullptr, 1, 2, Kind::Int, {}},
        {"ssciparity", nullptr, 1, 2, Kind::Word, {"none", "odd", "even"}},
        {"ssciflow", nullptr, 1, 2, Kind::Word, {"none", "software"}},
        {"slscanrate", nullptr, 0, 0, Kind::Int, {}},
        {"slscanratefast", nullptr, 0, 0, Kind::Int, {}},
        {"scflag", "channel", 1, 64, Kind::Flag, {}},
        {"sctype", nullptr, 1, 64, Kind::Word, {"analogue", "counter", "data", "instrument", "passive", "parameter"}},
        {"scdesc", nullptr, 1, 64, Kind::Text, {}},
        {"scunit", nullptr, 1, 64, Kind::Text, {}},
        {"scformat", nullptr, 1, 64, Kind::Format, {}},
        {"scpoly", nullptr, 1, 64, Kind::Numbers, {}, 8},
        {"scfunc", nullptr, 1, 64, Kind::Function, {}},
        {"scinput", nullptr, 1, 64, Kind::IntList, {}, 4},
        {"sccounttype", nullptr, 1, 64, Kind::Word, {"pulse count", "frequency"}},
        {"sccountreset", nullptr, 1, 64, Kind::Word, {"reset on scan", "reset on log", "reset at midnight"}},
        {"scanatype", nullptr, 1, 64, Kind::Word, {"single ended", "differential"}},
        {"scinsttype", nullptr, 1, 64, Kind::Word, {"none", "wxr 310-320", "wxr 310-320 reset"}},
        {"scdata", nullptr, 1, 64, Kind::Numbers, {}, 1},
        {"scflag", "logging", 1, 64, Kind::Flag, {}},
        {"scanagain", nullptr, 1, 64, Kind::Gain, {}},
        {"scanacurrent", nullptr, 1, 64, Kind::Int, {}},
        {"sclimit", nullptr, 1, 64, Kind::Numbers, {}, 2},
        {"saflag", "channel", 1, 16, Kind::Flag, {}},
        {"satext", nullptr, 1, 16, Kind::Text, {}},
        {"sainput", nullptr, 1, 16, Kind::Int, {}},
        {"satest", nullptr, 1, 16, Kind::Word, {"none", "eq", "neq", "gt", "lt", "ltorgt", "gtandlt"}},
        {"saaction", nullptr, 1, 16, Kind::Word, {"none", "or", "and"}},
        {"salimit", nullptr, 1, 16, Kind::Numbers, {}, 2},
        {"sadelay", nullptr, 1, 16, Kind::IntList, {}, -2},
        {"sadataoutput", nullptr, 1, 16, Kind::Int, {}},
        {"savalue", nullptr, 1, 16, Kind::Numbers, {}, 2},
        {"saphone", nullptr, 1, 16, Kind::Text, {}},
        {"saflag", "sound", 1, 16, Kind::Flag, {}},
        {"saflag", "digital", 1, 16, Kind::Flag, {}},
        {"saflag", "value", 1, 16, Kind::Flag, {}},
        {"saflag", "fast", 1, 16, Kind::Flag, {}},
        {"saflag", "phone", 1, 16, Kind::Flag, {}},
        {"saflag", "sms", 1, 16, Kind::Flag, {}},
        {"sasmsphone", nullptr, 1, 16, Kind::Text, {}, 0, 4},
        {"salist", nullptr, 1, 16, Kind::IntList, {}, 64},
        {"sadigitaloutput", nullptr, 1, 16, Kind::Int, {}},
        {"smtext", nullptr, 1, 1, Kind::Text, {}},
        {"smsci", nullptr, 1, 1, Kind::Int, {}},
        {"smstatuson", nullptr, 1, 1, Kind::Text, {}},
        {"smstatusoff", nullptr, 1, 1, Kind::Text, {}},
        {"sminit", nullptr, 1, 1, Kind::Text, {}},
        {"smdial", nullptr, 1, 1, Kind::Text, {}},
        {"smint", nullptr, 1, 1, Kind::Text, {}},
        {"smhangup", nullptr, 1, 1, Kind::Text, {}},
        {"smerror", nullptr, 1, 1, Kind::Text, {}},
        {"smok", nullptr, 1, 1, Kind::Text, {}},
        {"smbusy", nullptr, 1, 1, Kind::Text, {}},
        {"smconnect", nullptr, 1, 1, Kind::Text, {}},
        {"smnocarrier", nullptr, 1, 1, Kind::Text, {}},
        {"smnodial", nullptr, 1, 1, Kind::Text, {}},
        {"smnoanswer", nullptr, 1, 1, Kind::Text, {}},
        {"smstatustime", nullptr, 1, 1, Kind::Int, {}},
        {"sminittime", nullptr, 1, 1, Kind::Int, {}},
        {"smconnecttime", nullptr, 1, 1, Kind::Int, {}},
        {"sminttime", nullptr, 1, 1, Kind::Int, {}},
        {"smhanguptime", nullptr, 1, 1, Kind::Int, {}},
        {"smflag", "channel", 1, 1, Kind::Flag, {}},
        {"smsmstext", nullptr, 1, 1, Kind::Text, {}},
        {"smsmsdial", nullptr, 1, 1, Kind::Text, {}},
        {"smsmsenter", nullptr, 1, 1, Kind::Text, {}},
        {"smsmsentertime", nullptr, 1, 1, Kind::Int, {}},
        {"slautomode", nullptr, 0, 0, Kind::Flag, {}},
        {"slautoidle", nullptr, 0, 0, Kind::Int, {}},
        {"slautoint", nullptr, 0, 0, Kind::Int, {}},
    };
    return table;
}

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> parts;
    while (true) {
        const size_t comma = text.find(',');
        parts.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(comma + 1);
    }
}

bool IsInteger(std::string_view t, long long* out = nullptr) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
        return false;
    }
    if (out) {
        *out = v;
    }
    return true;
}

bool IsNumber(std::string_view t) {
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return !t.empty() && ec == std::errc() && end == t.data() + t.size() && std::isfinite(v);
}

bool IsDigits(std::string_view t, size_t n) {
    if (t.size() != n) {
        return false;
    }
    for (const char c : t) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// Checks a value being set and gives the text kept for reading back; empty optional-like flag
// through `ok`.
std::string Accept(const Setting& s, std::string_view value, bool& ok) {
    ok = true;
    switch (s.kind) {
        case Kind::Text:
            return value == "\"\"" ? std::string() : std::string(value);
        case Kind::Flag:
            if (value == "enable" || value == "disable") {
                return std::string(value) + "d";
            }
            break;
        case Kind::Int:
            if (IsInteger(value)) {
                return std::string(value);
            }
            break;
        case Kind::Word:
            for (const char* w : s.words) {
                if (value == w) {
                    return std::string(value);
                }
            }
            break;
        case Kind::Rate:
            // "HHhMMmSSs", hours as long as needed
            if (value.size() >= 9 && value.substr(value.size() - 7, 1) == "h" &&
                IsDigits(value.substr(0, value.size() - 7), value.size() - 7) &&
                IsDigits(value.substr(value.size() - 6, 2), 2) && value[value.size() - 4] == 'm' &&
                IsDigits(value.substr(value.size() - 3, 2), 2) && value.back() == 's') {
                return std::string(value);
            }
            break;
        case Kind::Numbers: {
            const auto parts = Split(value);
            bool good = static_cast<int>(parts.size()) == s.count;
            for (const auto p : parts) {
                good = good && IsNumber(p);
            }
            if (good) {
                return std::string(value);
            }
            break;
        }
        case Kind::IntList: {
            if (value.empty() && s.count > 0) {
                return {};
            }
            const auto parts = Split(value);
            const int most = s.count < 0 ? -s.count : s.count;
            bool good = static_cast<int>(parts.size()) <= most && (s.count > 0 || static_cast<int>(parts.size()) == most);
            long long previous = 0;
            for (const auto p : parts) {
                long long n = 0;
                good = good && IsInteger(p, &n);
                if (s.count == 64) {  // channel numbers, ascending
                    good = good && n > previous && n <= 64;
                    previous = n;
                }
            }
            if (good) {
                return std::string(value);
            }
            break;
        }
        case Kind::Function: {
            static const char* plain[] = {"none()", "minhold()", "maxhold()", "windto()", "crosswind()",
                                          "vapour()", "dewpoint()", "sum()"};
            for (const char* p : plain) {
                if (value == p) {
                    return std::string(value);
                }
            }
            auto inner = [&](std::string_view head) -> std::string_view {
                if (value.size() > head.size() + 1 && value.substr(0, head.size()) == head && value.back() == ')') {
                    return value.substr(head.size(), value.size() - head.size() - 1);
                }
                return {};
            };
            if (IsInteger(inner("rollingavg(")) || IsInteger(inner("vectoravg(")) || IsNumber(inner("sunshinehours("))) {
                return std::string(value);
            }
            const auto dd = Split(inner("degreeday("));
            if (dd.size() == 2 && IsNumber(dd[0]) && (dd[1] == "gain" || dd[1] == "loss")) {
                return std::string(value);
            }
            break;
        }
        case Kind::Format:
            if (value.size() >= 3 && value.front() == '%' && value.back() == 'f') {
                return std::string(value);
            }
            break;
        case Kind::Gain:
            if (value.size() >= 2 && value.front() == 'x' && IsInteger(value.substr(1))) {
                return std::string(value);
            }
            break;
    }
    ok = false;
    return {};
}

std::string Key(const Setting& s, int n, int second) {
    std::string key = s.name;
    if (s.last == 0) {
        return key;
    }
    key += "(" + std::to_string(n);
    if (s.qualifier) {
        key += std::string(",") + s.qualifier;
    }
    if (s.second) {
        key += "," + std::to_string(second);
    }
    return key + ")";
}

}  // namespace

NdrConfigStore::NdrConfigStore() {
    for (const Setting& s : Settings()) {
        for (int n = s.first; n <= s.last; ++n) {
            for (int k = 1; k <= (s.second ? s.second : 1); ++k) {
                std::string value;
                switch (s.kind) {
                    case Kind::Flag:
                        value = "disabled";
                        break;
                    case Kind::Int:
                        value = "0";
                        break;
                    case Kind::Word:
                        value = s.words.front();
                        break;
                    case Kind::Rate:
                        value = "00h10m00s";
                        break;
                    case Kind::Numbers:
                        value = s.count == 8 ? "0,1,0,0,0,0,0,0" : s.count == 2 ? "0,0" : "0";
                        break;
                    case Kind::IntList:
                        value = s.count < 0 ? "0,0" : "";
                        break;
                    case Kind::Function:
                        value = "none()";
                        break;
                    case Kind::Format:
                        value = "%6.1f";
                        break;
                    case Kind::Gain:
                        value = "x1";
                        break;
                    case Kind::Text:
                        break;
                }
                values_[Key(s, n, k)] = value;
            }
        }
    }
    // A weather logger as it might leave the bench: four channels, one alarm, ten-minute records.
    const char* setup[][2] = {
        {"sltext", "Field logger"}, {"slnumber", "12"}, {"sllogmode", "enabled"}, {"sllogratefast", "00h01m00s"},
        {"slscanrate", "10"}, {"slscanratefast", "5"}, {"sscibaud(1)", "9600"}, {"sscibaud(2)", "19200"},
        {"sscidata(1)", "8"}, {"sscidata(2)", "8"}, {"sscistop(1)", "1"}, {"sscistop(2)", "1"},
        {"sadataoutput(1)", "1"}, {"smsci(1)", "2"}, {"sminit(1)", "ATZ"}, {"smdial(1)", "ATDT"},
        {"smok(1)", "OK"}, {"smconnect(1)", "CONNECT"}, {"smerror(1)", "ERROR"}, {"smbusy(1)", "BUSY"},
        {"smnocarrier(1)", "NO CARRIER"}, {"sminittime(1)", "5"}, {"smconnecttime(1)", "60"},
        {"scflag(1,channel)", "enabled"}, {"scflag(1,logging)", "enabled"}, {"scdesc(1)", "Air temperature"},
        {"scunit(1)", "degC"}, {"scpoly(1)", "-40,0.025,0,0,0,0,0,0"}, {"scinput(1)", "1"},
        {"sclimit(1)", "-40,60"}, {"scflag(2,channel)", "enabled"}, {"scflag(2,logging)", "enabled"},
        {"scdesc(2)", "Relative humidity"}, {"scunit(2)", "%"}, {"scinput(2)", "2"}, {"scpoly(2)", "0,0.1,0,0,0,0,0,0"},
        {"scanatype(2)", "differential"}, {"scanagain(2)", "x2"}, {"sclimit(2)", "0,100"},
        {"scflag(3,channel)", "enabled"}, {"scflag(3,logging)", "enabled"}, {"sctype(3)", "counter"},
        {"scdesc(3)", "Rainfall"}, {"scunit(3)", "mm"}, {"scformat(3)", "%6.2f"}, {"scpoly(3)", "0,0.2,0,0,0,0,0,0"},
        {"scfunc(3)", "sum()"}, {"scinput(3)", "1"}, {"sccountreset(3)", "reset on log"},
        {"scflag(4,channel)", "enabled"}, {"scflag(4,logging)", "enabled"}, {"sctype(4)", "counter"},
        {"scdesc(4)", "Wind speed"}, {"scunit(4)", "m/s"}, {"sccounttype(4)", "frequency"},
        {"scfunc(4)", "rollingavg(6)"}, {"scinput(4)", "2"}, {"scpoly(4)", "0.3,0.098,0,0,0,0,0,0"},
        {"saflag(1,channel)", "enabled"}, {"satext(1)", "Frost warning"}, {"sainput(1)", "1"}, {"satest(1)", "lt"},
        {"salimit(1)", "0.5,0"}, {"sadelay(1)", "60,300"}, {"saflag(1,sound)", "enabled"},
        {"saflag(1,sms)", "enabled"}, {"sasmsphone(1,1)", "+441632960123"}, {"salist(1)", "1"},
        {"saflag(2,channel)", "enabled"}, {"satext(2)", "Heavy rain"}, {"sainput(2)", "3"}, {"satest(2)", "gt"},
        {"salimit(2)", "10,0"}, {"salist(2)", "3,4"}, {"saaction(2)", "or"}, {"sadataoutput(2)", "2"},
    };
    for (const auto& [key, value] : setup) {
        values_[key] = value;
    }
}

bool NdrConfigStore::Answer(std::string_view command, std::string* reply, bool* changed) {
    *changed = false;
    reply->clear();
    if (command == "slprofile(save)") {
        ++saves_;
        return true;
    }
    const size_t open = command.find('(');
    const std::string_view name = command.substr(0, open);
    std::string_view inner;
    const bool hasArgs = open != std::string_view::npos;
    if (hasArgs) {
        if (command.back() != ')') {
            return false;
        }
        inner = command.substr(open + 1, command.size() - open - 2);
    }
    bool known = false;
    for (const Setting& s : Settings()) {
        if (name != s.name) {
            continue;
        }
        known = true;
        std::string key;
        std::string_view rest = inner;
        bool writing = hasArgs;
        if (s.last != 0) {
            // The selecting arguments come first: the number, the qualifier, a second number.
            const int selectors = 1 + (s.qualifier ? 1 : 0) + (s.second ? 1 : 0);
            std::vector<std::string_view> head;
            for (int i = 0; i < selectors; ++i) {
                const size_t comma = rest.find(',');
                head.push_back(rest.substr(0, comma));
                rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
                writing = comma != std::string_view::npos && i + 1 == selectors;
            }
            if (!hasArgs) {
                continue;
            }
            if (s.qualifier && (head.size() < 2 || head[1] != s.qualifier)) {
                continue;
            }
            long long n = 0;
            long long second = 1;
            if (!IsInteger(head[0], &n) || n < s.first || n > s.last ||
                (s.second && (!IsInteger(head.back(), &second) || second < 1 || second > s.second))) {
                *reply = "ERROR - invalid argument";
                return true;
            }
            key = Key(s, static_cast<int>(n), static_cast<int>(second));
        } else {
            key = s.name;
        }
        if (!writing) {
            *reply = values_[key];
            return true;
        }
        bool ok = false;
        std::string value = Accept(s, rest, ok);
        if (!ok) {
            *reply = "ERROR - invalid value";
            return true;
        }
        *changed = values_[key] != value;
        values_[key] = std::move(value);
        return true;
    }
    if (known) {
        *reply = "ERROR - invalid argument";
    }
    return known;
}

std::string NdrConfigStore::Get(const std::string& key) const {
    const auto it = values_.find(key);
    return it == values_.end() ? std::string() : it->second;
}

std::string NdrConfigStore::Dump() const {
    std::string text;
    for (const auto& [key, value] : values_) {
        text += key + "=";
        for (const char c : value) {
            if (c == '\\') {
                text += "\\\\";
            } else if (c == '\n') {
                text += "\\n";
            } else if (c == '\r') {
                text += "\\r";
            } else {
                text += c;
            }
        }
        text += '\n';
    }
    return text;
}

bool NdrConfigStore::Load(std::string_view text) {
    std::map<std::string, std::string> loaded = values_;
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        const std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        if (line.empty()) {
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            return false;
        }
        const std::string key(line.substr(0, eq));
        const auto it = loaded.find(key);
        if (it == loaded.end()) {
            return false;
        }
        std::string value;
        for (size_t i = eq + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                const char e = line[++i];
                value += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
            } else {
                value += line[i];
            }
        }
        it->second = std::move(value);
    }
    values_ = std::move(loaded);
    return true;
}

}  // namespace svu::sim
