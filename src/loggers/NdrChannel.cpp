#include "loggers/NdrChannel.h"

#include "framework/FieldVisitor.h"
#include "framework/TextFormat.h"
#include "loggers/NdrTransfer.h"

namespace svu {

void NDR_Channel::VisitFields(FieldVisitor& v, const std::string& prefix) {
    auto key = [&](const char* name) { return prefix + name; };
    v.String(key("description").c_str(), description);
    v.String(key("unit").c_str(), unit);
    v.Int32(key("formatWidth").c_str(), formatWidth);
    v.Int32(key("formatDecimals").c_str(), formatDecimals);
    v.UInt8(key("formatLeftAligned").c_str(), formatLeftAligned);
    v.UInt8(key("formatZeroPadded").c_str(), formatZeroPadded);
    for (size_t i = 0; i < polynomial.size(); ++i) {
        v.Double((prefix + "polynomial" + std::to_string(i + 1)).c_str(), polynomial[i]);
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        v.Int32((prefix + "input" + std::to_string(i + 1)).c_str(), inputs[i]);
    }
    v.Int32(key("function").c_str(), function);
    v.Int32(key("countType").c_str(), countType);
    v.Int32(key("countReset").c_str(), countReset);
    v.Int32(key("analogueType").c_str(), analogueType);
    v.Int32(key("instrumentType").c_str(), instrumentType);
    v.Double(key("dataValue").c_str(), dataValue);
    v.Int32(key("enabled").c_str(), enabled);
    v.Int32(key("logging").c_str(), logging);
    for (size_t i = 0; i < reserved.size(); ++i) {
        v.UInt8((prefix + "reserved" + std::to_string(i + 1)).c_str(), reserved[i]);
    }
    v.Int32(key("functionLoss").c_str(), functionLoss);
    v.UInt8(key("functionCount").c_str(), functionCount);
    v.Double(key("degreeDayBase").c_str(), degreeDayBase);
    v.Int32(key("type").c_str(), type);
    v.UInt8(key("analogueGain").c_str(), analogueGain);
    v.UInt8(key("analogueCurrent").c_str(), analogueCurrent);
    v.Float(key("limitLow").c_str(), limitLow);
    v.Float(key("limitHigh").c_str(), limitHigh);
    v.Double(key("sunshineThreshold").c_str(), sunshineThreshold);
}

std::string NDR_Channel::FormatText() const {
    std::string text = "%";
    if (formatLeftAligned) {
        text += '-';
    }
    if (formatZeroPadded) {
        text += '0';
    }
    if (formatWidth > 0) {
        text += std::to_string(formatWidth);
    }
    if (formatDecimals >= 0) {
        text += '.' + std::to_string(formatDecimals);
    }
    return text + "f";
}

bool NDR_Channel::SetFormatText(std::string_view text) {
    text = ndr::Trim(text);
    if (text.size() < 2 || text.front() != '%' || text.back() != 'f') {
        return false;
    }
    text = text.substr(1, text.size() - 2);
    uint8_t left = 0;
    uint8_t zero = 0;
    while (!text.empty() && (text.front() == '-' || text.front() == '0')) {
        (text.front() == '-' ? left : zero) = 1;
        text.remove_prefix(1);
    }
    const size_t dot = text.find('.');
    const std::string_view widthText = text.substr(0, dot);
    int64_t width = 0;
    if (!widthText.empty()) {
        const auto w = ndr::ParseInteger(widthText);
        if (!w || *w < 0 || *w > 99 || widthText.front() == '-' || widthText.front() == '+') {
            return false;
        }
        width = *w;
    }
    int64_t decimals = -1;
    if (dot != std::string_view::npos) {
        const std::string_view d = text.substr(dot + 1);
        const auto n = ndr::ParseInteger(d);
        if (d.empty() || !n || *n < 0 || *n > 99 || d.front() == '-' || d.front() == '+') {
            return false;
        }
        decimals = *n;
    }
    formatLeftAligned = left;
    formatZeroPadded = zero;
    formatWidth = static_cast<int32_t>(width);
    formatDecimals = static_cast<int32_t>(decimals);
    return true;
}

std::string NDR_Channel::FunctionText() const {
    const char* word = ndr::WordAt(kFunctions, function);
    if (word == nullptr) {
        return {};
    }
    switch (function) {
        case 3:
        case 4:
            return Format("%s%i)", word, functionCount);
        case 5:
            return Format("%s%g,%s)", word, degreeDayBase, functionLoss ? "loss" : "gain");
        case 11:
            return Format("%s%g)", word, sunshineThreshold);
        default:
            return word;
    }
}

bool NDR_Channel::SetFunctionText(std::string_view text) {
    text = ndr::Trim(text);
    for (int i = 0; i < static_cast<int>(std::size(kFunctions)); ++i) {
        const std::string_view head = kFunctions[i];
        if (text.substr(0, head.size()) != head) {
            continue;
        }
        if (head.back() == ')') {
            if (text.size() != head.size()) {
                return false;
            }
            function = i;
            return true;
        }
        std::string_view args = text.substr(head.size());
        if (args.empty() || args.back() != ')') {
            return false;
        }
        args.remove_suffix(1);
        if (i == 3 || i == 4) {
            const auto n = ndr::ParseInteger(args);
            if (!n || *n < 0 || *n > 255) {
                return false;
            }
            functionCount = static_cast<uint8_t>(*n);
        } else if (i == 5) {
            const size_t comma = args.find(',');
            if (comma == std::string_view::npos) {
                return false;
            }
            const auto base = ndr::ParseNumber(args.substr(0, comma));
            const std::string_view which = ndr::Trim(args.substr(comma + 1));
            if (!base || (which != "gain" && which != "loss")) {
                return false;
            }
            degreeDayBase = *base;
            functionLoss = which == "loss" ? 1 : 0;
        } else {
            const auto threshold = ndr::ParseNumber(args);
            if (!threshold) {
                return false;
            }
            sunshineThreshold = *threshold;
        }
        function = i;
        return true;
    }
    return false;
}

std::string NDR_Channel::InputsText() const {
    std::string text;
    for (const int32_t input : inputs) {
        if (input == 0) {
            break;
        }
        text += (text.empty() ? "" : ",") + std::to_string(input);
    }
    return text;
}

bool NDR_Channel::SetInputsText(std::string_view text) {
    std::array<int32_t, 4> found{};
    text = ndr::Trim(text);
    size_t count = 0;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const auto n = ndr::ParseInteger(text.substr(0, comma));
        if (!n || *n < 1 || *n > INT32_MAX || count == found.size()) {
            return false;
        }
        found[count++] = static_cast<int32_t>(*n);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
        if (text.empty()) {
            return false;
        }
    }
    inputs = found;
    return true;
}

bool NDR_Channel::ReadFromLogger(NdrTransfer& t, int c) {
    const std::string n = std::to_string(c);
    auto cmd = [&](const char* name) { return std::string(name) + "(" + n + ")\r"; };
    std::string reply;
    auto textSetting = [&](const std::string& command, auto setter) {
        if (!t.Ask(command, &reply)) {
            return false;
        }
        if (!(this->*setter)(reply)) {
            t.Unmatched(command, reply);
        }
        return true;
    };
    return t.ReadBool("scflag(" + n + ",channel)\r", enabled) && t.ReadWord(cmd("sctype"), kTypes, type) &&
           t.ReadText(cmd("scdesc"), description) && t.ReadText(cmd("scunit"), unit) &&
           textSetting(cmd("scformat"), &NDR_Channel::SetFormatText) && ReadPolynomial(t, cmd("scpoly")) &&
           textSetting(cmd("scfunc"), &NDR_Channel::SetFunctionText) &&
           textSetting(cmd("scinput"), &NDR_Channel::SetInputsText) &&
           t.ReadWord(cmd("sccounttype"), kCountTypes, countType) &&
           t.ReadWord(cmd("sccountreset"), kCountResets, countReset) &&
           t.ReadWord(cmd("scanatype"), kAnalogueTypes, analogueType) &&
           t.ReadWord(cmd("scinsttype"), kInstrumentTypes, instrumentType) && t.ReadNumber(cmd("scdata"), dataValue) &&
           t.ReadBool("scflag(" + n + ",logging)\r", logging) && ReadGain(t, cmd("scanagain")) &&
           t.ReadInteger(cmd("scanacurrent"), analogueCurrent) && ReadLimits(t, cmd("sclimit"));
}

bool NDR_Channel::ReadPolynomial(NdrTransfer& t, const std::string& command) {
    std::string reply;
    if (!t.Ask(command, &reply)) {
        return false;
    }
    std::array<double, 8> found{};
    std::string_view rest = reply;
    for (size_t i = 0; i < found.size(); ++i) {
        const size_t comma = rest.find(',');
        if ((comma == std::string_view::npos) != (i + 1 == found.size())) {
            t.Unmatched(command, reply);
            return true;
        }
        const auto x = ndr::ParseNumber(rest.substr(0, comma));
        if (!x) {
            t.Unmatched(command, reply);
            return true;
        }
        found[i] = *x;
        rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    polynomial = found;
    return true;
}

bool NDR_Channel::ReadGain(NdrTransfer& t, const std::string& command) {
    std::string reply;
    if (!t.Ask(command, &reply)) {
        return false;
    }
    std::string_view text = ndr::Trim(reply);
    if (!text.empty() && (text.front() == 'x' || text.front() == 'X')) {
        text.remove_prefix(1);
    }
    const auto gain = ndr::ParseInteger(text);
    if (gain && *gain >= 0 && *gain <= 255) {
        analogueGain = static_cast<uint8_t>(*gain);
    } else {
        t.Unmatched(command, reply);
    }
    return true;
}

bool NDR_Channel::ReadLimits(NdrTransfer& t, const std::string& command) {
    double low = limitLow;
    double high = limitHigh;
    if (!t.ReadNumberPair(command, low, high)) {
        return false;
    }
    limitLow = static_cast<float>(low);
    limitHigh = static_cast<float>(high);
    return true;
}

bool NDR_Channel::WriteToLogger(NdrTransfer& t, int c) const {
    const std::string n = std::to_string(c);
    auto head = [&](const char* name) { return std::string(name) + "(" + n + ","; };
    std::string poly;
    for (const double p : polynomial) {
        poly += "," + ndr::NumberText(p);
    }
    // No inputs at all still has to be a setting: "scinput(5)" alone would only ask.
    std::string inputList;
    for (const int32_t input : inputs) {
        if (input == 0) {
            break;
        }
        inputList += "," + std::to_string(input);
    }
    return t.Send(head("scflag") + "channel," + ndr::BoolWord(enabled) + ")\r") &&
           t.SendWord(head("sctype"), kTypes, type) &&
           t.Send(head("scdesc") + ndr::CommandSafe(description) + ")\r") &&
           t.Send(head("scunit") + ndr::CommandSafe(unit) + ")\r") && t.Send(head("scformat") + FormatText() + ")\r") &&
           t.Send("scpoly(" + n + poly + ")\r") && WriteFunction(t, head("scfunc")) &&
           t.Send("scinput(" + n + (inputList.empty() ? "," : inputList) + ")\r") && t.SendWord(head("sccounttype"), kCountTypes, countType) &&
           t.SendWord(head("sccountreset"), kCountResets, countReset) &&
           t.SendWord(head("scanatype"), kAnalogueTypes, analogueType) &&
           t.SendWord(head("scinsttype"), kInstrumentTypes, instrumentType) &&
           t.Send(head("scdata") + ndr::NumberText(dataValue) + ")\r") &&
           t.Send(head("scflag") + "logging," + ndr::BoolWord(logging) + ")\r") &&
           t.Send(head("scanagain") + "x" + std::to_string(analogueGain) + ")\r") &&
           t.Send(head("scanacurrent") + std::to_string(analogueCurrent) + ")\r") &&
           t.Send(head("sclimit") + ndr::NumberText(limitLow) + "," + ndr::NumberText(limitHigh) + ")\r");
}

bool NDR_Channel::WriteFunction(NdrTransfer& t, const std::string& head) const {
    const std::string text = FunctionText();
    if (text.empty()) {
        t.Unwritable(head + "...)", "stored function " + std::to_string(function) + " has no word");
        return t.Skip(head + "...)", 1);
    }
    return t.Send(head + text + ")\r");
}

}  // namespace svu
