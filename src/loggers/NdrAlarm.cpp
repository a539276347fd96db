#include "loggers/NdrAlarm.h"

#include "framework/FieldVisitor.h"
#include "loggers/NdrTransfer.h"

namespace svu {

namespace {

// An empty text would leave the argument out altogether; the logger takes two quotes as empty.
std::string TextOrQuotes(const std::string& text) { return text.empty() ? "\"\"" : ndr::CommandSafe(text); }

}  // namespace

int32_t* NDR_Alarm::Flag(int i) {
    int32_t* flags[] = {&sound, &digital, &value, &fast, &phone, &sms};
    return flags[i];
}

void NDR_Alarm::VisitFields(FieldVisitor& v, const std::string& prefix) {
    auto key = [&](const char* name) { return prefix + name; };
    v.String(key("text").c_str(), text);
    v.Int32(key("enabled").c_str(), enabled);
    v.Int32(key("sound").c_str(), sound);
    v.Int32(key("digital").c_str(), digital);
    v.Int32(key("value").c_str(), value);
    v.Int32(key("fast").c_str(), fast);
    v.Int32(key("phone").c_str(), phone);
    v.Int32(key("inputChannel").c_str(), inputChannel);
    v.UInt32(key("test").c_str(), test);
    v.UInt32(key("action").c_str(), action);
    v.Double(key("limitLow").c_str(), limitLow);
    v.Double(key("limitHigh").c_str(), limitHigh);
    v.UInt16(key("delayOn").c_str(), delayOn);
    v.UInt16(key("delayOff").c_str(), delayOff);
    v.UInt32(key("dataOutput").c_str(), dataOutput);
    v.Double(key("valueOn").c_str(), valueOn);
    v.Double(key("valueOff").c_str(), valueOff);
    v.String(key("telephone").c_str(), telephone);
    v.Int32(key("sms").c_str(), sms);
    for (size_t i = 0; i < smsNumbers.size(); ++i) {
        v.String((prefix + "smsNumber" + std::to_string(i + 1)).c_str(), smsNumbers[i]);
    }
    for (size_t i = 0; i < channelList.size(); ++i) {
        v.UInt32((prefix + "list" + std::to_string(i + 1)).c_str(), channelList[i]);
    }
    v.UInt8(key("digitalOutput").c_str(), digitalOutput);
}

bool NDR_Alarm::ReadFromLogger(NdrTransfer& t, int a) {
    const std::string n = std::to_string(a);
    auto cmd = [&](const char* name) { return std::string(name) + "(" + n + ")\r"; };
    const std::string flagCommand = "saflag(" + n + ",channel)\r";
    if (!t.ReadBool(flagCommand, enabled)) {
        return false;
    }
    if (enabled <= 0) {
        // A disabled alarm answers nothing useful; its settings stay as they are.
        return t.Skip(flagCommand, kCommands - 1);
    }
    if (!t.ReadText(cmd("satext"), text) || !t.ReadInteger(cmd("sainput"), inputChannel) ||
        !t.ReadWord(cmd("satest"), kTests, test) || !t.ReadWord(cmd("saaction"), kActions, action) ||
        !t.ReadNumberPair(cmd("salimit"), limitLow, limitHigh) || !t.ReadIntegerPair(cmd("sadelay"), delayOn, delayOff) ||
        !t.ReadInteger(cmd("sadataoutput"), dataOutput) || !t.ReadNumberPair(cmd("savalue"), valueOn, valueOff) ||
        !t.ReadText(cmd("saphone"), telephone)) {
        return false;
    }
    for (int i = 0; i < static_cast<int>(std::size(kFlagNames)); ++i) {
        if (!t.ReadBool("saflag(" + n + "," + kFlagNames[i] + ")\r", *Flag(i))) {
            return false;
        }
    }
    for (size_t i = 0; i < smsNumbers.size(); ++i) {
        if (!t.ReadText("sasmsphone(" + n + "," + std::to_string(i + 1) + ")\r", smsNumbers[i])) {
            return false;
        }
    }
    std::string reply;
    if (!t.Ask(cmd("salist"), &reply)) {
        return false;
    }
    if (const auto list = ndr::ParseChannelList(reply)) {
        channelList = *list;
    } else {
        t.Unmatched(cmd("salist"), reply);
    }
    return t.ReadInteger(cmd("sadigitaloutput"), digitalOutput);
}

bool NDR_Alarm::WriteToLogger(NdrTransfer& t, int a) const {
    const std::string n = std::to_string(a);
    auto head = [&](const char* name) { return std::string(name) + "(" + n + ","; };
    if (!t.Send(head("saflag") + "channel," + ndr::BoolWord(enabled) + ")\r")) {
        return false;
    }
    if (enabled <= 0) {
        return true;
    }
    if (!t.Send(head("satext") + ndr::CommandSafe(text) + ")\r") ||
        !t.Send(head("sainput") + std::to_string(inputChannel) + ")\r") || !t.SendWord(head("satest"), kTests, test) ||
        !t.SendWord(head("saaction"), kActions, action) ||
        !t.Send(head("salimit") + ndr::NumberText(limitLow) + "," + ndr::NumberText(limitHigh) + ")\r") ||
        !t.Send(head("sadelay") + std::to_string(delayOn) + "," + std::to_string(delayOff) + ")\r") ||
        !t.Send(head("sadataoutput") + std::to_string(dataOutput < 1 ? 1u : dataOutput) + ")\r") ||
        !t.Send(head("savalue") + ndr::NumberText(valueOn) + "," + ndr::NumberText(valueOff) + ")\r") ||
        !t.Send(head("saphone") + ndr::CommandSafe(telephone) + ")\r")) {
        return false;
    }
    for (int i = 0; i < static_cast<int>(std::size(kFlagNames)); ++i) {
        if (!t.Send(head("saflag") + kFlagNames[i] + "," + ndr::BoolWord(*Flag(i)) + ")\r")) {
            return false;
        }
    }
    for (size_t i = 0; i < smsNumbers.size(); ++i) {
        if (!t.Send(head("sasmsphone") + std::to_string(i + 1) + "," + TextOrQuotes(smsNumbers[i]) + ")\r")) {
            return false;
        }
    }
    return t.Send(head("salist") + ndr::ChannelListText(channelList) + ")\r") &&
           t.Send(head("sadigitaloutput") + std::to_string(digitalOutput) + ")\r");
}

}  // namespace svu
