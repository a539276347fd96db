#include "loggers/NdrConfigDiff.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cmath>
#include <map>
#include <span>

#include "framework/FieldVisitor.h"
#include "loggers/NdrConfig.h"

namespace svu {

namespace {

struct Entry {
    std::string key;
    std::string text;
};

std::string ShortestText(double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
    }
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

// Lists every field as text under its key; shows no record layout of its own.
class TextCollector final : public FieldVisitor {
public:
    std::vector<Entry> entries;

    bool IsLoading() const override { return false; }
    int Schema() const override { return 7; }
    void Int32(const char* n, int32_t& v) override { Add(n, std::to_string(v)); }
    void UInt32(const char* n, uint32_t& v) override { Add(n, std::to_string(v)); }
    void UInt16(const char* n, uint16_t& v) override { Add(n, std::to_string(v)); }
    void UInt8(const char* n, uint8_t& v) override { Add(n, std::to_string(v)); }
    void Bool32(const char* n, int32_t& v) override { Add(n, std::to_string(v)); }
    void Float(const char* n, float& v) override {
        if (!std::isfinite(v)) {
            Add(n, ShortestText(v));
            return;
        }
        char buf[64];
        const auto result = std::to_chars(buf, buf + sizeof buf, v);
        Add(n, std::string(buf, result.ptr));
    }
    void Double(const char* n, double& v) override { Add(n, ShortestText(v)); }
    void String(const char* n, std::string& v) override { Add(n, v); }
    void UInt32Array(const char* n, std::vector<uint32_t>&) override {}
    void FloatBitsArray(const char* n, std::vector<uint32_t>&) override {}
    void StringArray(const char* n, std::vector<std::string>&) override {}

private:
    void Add(const char* key, std::string text) { entries.push_back({key, std::move(text)}); }
};

// The part of a key after its group ("channel5.unit" -> "unit").
std::string LocalName(const std::string& key) {
    const size_t dot = key.find('.');
    return dot == std::string::npos ? key : key.substr(dot + 1);
}

std::string GroupName(const std::string& key) {
    const size_t dot = key.find('.');
    return dot == std::string::npos ? std::string() : key.substr(0, dot);
}

// "listN", "polynomialN" and "inputN" are shown as one setting each.
bool SplitNumbered(const std::string& local, std::string& stem, int& number) {
    for (const char* s : {"list", "polynomial", "input"}) {
        const std::string_view st = s;
        if (local.size() > st.size() && local.compare(0, st.size(), st) == 0) {
            const std::string digits = local.substr(st.size());
            if (digits.find_first_not_of("0123456789") == std::string::npos) {
                stem = s;
                number = std::stoi(digits);
                return true;
            }
        }
    }
    return false;
}

std::vector<Entry> Collect(const NDR& ndr) {
    NDR copy = ndr;
    TextCollector collector;
    copy.VisitFields(collector);
    std::vector<Entry> out;
    std::map<std::string, size_t> grouped;
    for (Entry& e : collector.entries) {
        std::string stem;
        int number = 0;
        const std::string local = LocalName(e.key);
        if (!SplitNumbered(local, stem, number)) {
            out.push_back(std::move(e));
            continue;
        }
        const std::string key = GroupName(e.key) + "." + stem;
        auto [it, fresh] = grouped.try_emplace(key, out.size());
        if (fresh) {
            out.push_back({key, {}});
        }
        std::string& text = out[it->second].text;
        if (stem == "list") {
            if (e.text != "0") {
                text += (text.empty() ? "" : ",") + std::to_string(number);
            }
        } else {
            text += (number == 1 ? "" : ",") + e.text;
        }
    }
    return out;
}

std::string Words(const std::string& camel) {
    static const std::map<std::string, std::string> names = {
        {"loggerNumber", "Logger number"},   {"loggerText", "Logger text"},
        {"logMode", "Logging"},       {"logRate", "Normal log rate"},
        {"fastLogRate", "Fast log rate"},    {"alarmMode", "Alarm mode"},
        {"autoMode", "Automatic mode"},      {"autoIdle", "Automatic idle"},
        {"autoInterval", "Automatic interval"}, {"specialCommands", "Special commands"},
        {"commandFormat", "Command format"}, {"list", "channel list"},
        {"sms", "short-message flag"},       {"smsText", "short-message text"},
        {"smsDial", "short-message dial string"}, {"smsEnter", "short-message enter string"},
        {"smsEnterTime", "short-message enter time"}, {"port", "serial port"},
        {"input", "inputs"},                 {"text", "text"},
    };
    if (const auto it = names.find(camel); it != names.end()) {
        return it->second;
    }
    std::string out;
    for (const char c : camel) {
        if (std::isupper(static_cast<unsigned char>(c))) {
            out += ' ';
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (std::isdigit(static_cast<unsigned char>(c)) && !out.empty() &&
                   !std::isdigit(static_cast<unsigned char>(out.back()))) {
            out += ' ';
            out += c;
        } else {
            out += c;
        }
    }
    if (out.compare(0, 4, "sms ") == 0) {
        out = "short-message " + out.substr(4);
    }
    return out;
}

std::string Label(const std::string& key) {
    const std::string group = GroupName(key);
    std::string local = Words(LocalName(key));
    if (group.empty()) {
        return local;
    }
    auto numbered = [&](const char* stem, const char* shown) -> std::string {
        const size_t n = std::string_view(stem).size();
        return group.compare(0, n, stem) == 0 ? std::string(shown) + " " + group.substr(n) : std::string();
    };
    std::string head;
    for (const auto& [stem, shown] : {std::pair{"channel", "Channel"}, std::pair{"alarm", "Alarm"},
                                      std::pair{"port", "Serial port"}, std::pair{"pwm", "PWM output"}}) {
        if (head.empty()) {
            head = numbered(stem, shown);
        }
    }
    if (head.empty()) {
        head = "Modem";
    }
    return head + " " + local;
}

// Vocabulary fields shown as their words, flags as enabled/disabled, rates as the logger writes them.
std::string Shown(const std::string& key, const std::string& text) {
    const std::string local = LocalName(key);
    const std::string group = GroupName(key);
    auto word = [&](std::span<const char* const> words) {
        const char* w = ndr::WordAt(words, std::strtoll(text.c_str(), nullptr, 10));
        return w ? std::string(w) : text;
    };
    if (local == "logRate" || local == "fastLogRate") {
        return ndr::RateText(std::strtoll(text.c_str(), nullptr, 10));
    }
    static const std::map<std::string, std::span<const char* const>> vocab = {
        {"channel.type", NDR_Channel::kTypes},          {"channel.countType", NDR_Channel::kCountTypes},
        {"channel.countReset", NDR_Channel::kCountResets}, {"channel.analogueType", NDR_Channel::kAnalogueTypes},
        {"channel.instrumentType", NDR_Channel::kInstrumentTypes}, {"alarm.test", NDR_Alarm::kTests},
        {"alarm.action", NDR_Alarm::kActions},          {"port.parity", NDR_Comms::kParities},
        {"port.flow", NDR_Comms::kFlows},
    };
    const std::string kind = group.substr(0, group.find_first_of("0123456789")) + "." + local;
    if (const auto it = vocab.find(kind); it != vocab.end()) {
        return word(it->second);
    }
    static const char* flags[] = {"enabled", "logging", "sound", "digital", "value", "fast", "phone", "sms",
                                  "logMode", "alarmMode", "autoMode"};
    for (const char* f : flags) {
        if (local == f) {
            return std::strtoll(text.c_str(), nullptr, 10) > 0 ? "enabled" : "disabled";
        }
    }
    return text;
}

// Multi-line texts (the special commands) on one line of the listing.
std::string OneLine(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    }
    return out;
}

}  // namespace

std::vector<NdrConfigDiff::Change> NdrConfigDiff::Between(const NDR& before, const NDR& after) {
    const std::vector<Entry> a = Collect(before);
    const std::vector<Entry> b = Collect(after);
    std::vector<Change> changes;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i].text != b[i].text) {
            changes.push_back({Label(a[i].key), Shown(a[i].key, a[i].text), Shown(b[i].key, b[i].text)});
        }
    }
    return changes;
}

std::string NdrConfigDiff::Text(const std::vector<Change>& changes) {
    if (changes.empty()) {
        return "No settings differ.\n";
    }
    std::string text;
    for (const Change& c : changes) {
        text += c.name + ": \"" + OneLine(c.before) + "\" -> \"" + OneLine(c.after) + "\"\n";
    }
    return text;
}

}  // namespace svu
