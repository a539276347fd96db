#include "loggers/NdrModem.h"

#include "framework/FieldVisitor.h"
#include "loggers/NdrTransfer.h"

namespace svu {

namespace {

constexpr const char* kStringKeys[] = {"statusOn",  "statusOff", "init",      "dial",       "interrupt",
                                       "hangUp",    "error",     "ok",        "busy",       "connect",
                                       "noCarrier", "noDialTone", "noAnswer"};

}  // namespace

void NDR_Modem::VisitFields(FieldVisitor& v, const std::string& prefix) {
    auto key = [&](const char* name) { return prefix + name; };
    v.String(key("text").c_str(), text);
    v.UInt8(key("port").c_str(), port);
    for (size_t i = 0; i < strings.size(); ++i) {
        v.String(key(kStringKeys[i]).c_str(), strings[i]);
    }
    v.UInt8(key("statusTime").c_str(), statusTime);
    v.UInt8(key("initTime").c_str(), initTime);
    v.UInt16(key("connectTime").c_str(), connectTime);
    v.UInt8(key("interruptTime").c_str(), interruptTime);
    v.UInt8(key("hangUpTime").c_str(), hangUpTime);
    v.UInt8(key("enabled").c_str(), enabled);
    v.String(key("smsText").c_str(), smsText);
    v.String(key("smsDial").c_str(), smsDial);
    v.String(key("smsEnter").c_str(), smsEnter);
    v.UInt8(key("smsEnterTime").c_str(), smsEnterTime);
}

bool NDR_Modem::ReadFromLogger(NdrTransfer& t) {
    auto cmd = [](const char* name) { return std::string(name) + "(1)\r"; };
    if (!t.ReadText(cmd("smtext"), text) || !t.ReadInteger(cmd("smsci"), port)) {
        return false;
    }
    for (size_t i = 0; i < strings.size(); ++i) {
        if (!t.ReadText(cmd(kStringNames[i]), strings[i])) {
            return false;
        }
    }
    return t.ReadInteger(cmd("smstatustime"), statusTime) && t.ReadInteger(cmd("sminittime"), initTime) &&
           t.ReadInteger(cmd("smconnecttime"), connectTime) && t.ReadInteger(cmd("sminttime"), interruptTime) &&
           t.ReadInteger(cmd("smhanguptime"), hangUpTime) && t.ReadBool("smflag(1,channel)\r", enabled) &&
           t.ReadText(cmd("smsmstext"), smsText) && t.ReadText(cmd("smsmsdial"), smsDial) &&
           t.ReadText(cmd("smsmsenter"), smsEnter) && t.ReadInteger(cmd("smsmsentertime"), smsEnterTime);
}

bool NDR_Modem::WriteToLogger(NdrTransfer& t) const {
    auto cmd = [](const char* name, const std::string& value) { return std::string(name) + "(1," + value + ")\r"; };
    auto num = [](int value) { return std::to_string(value); };
    if (!t.Send(cmd("smtext", text.empty() ? "\"\"" : ndr::CommandSafe(text))) || !t.Send(cmd("smsci", num(port)))) {
        return false;
    }
    for (size_t i = 0; i < strings.size(); ++i) {
        if (!t.Send(cmd(kStringNames[i], ndr::CommandSafe(strings[i])))) {
            return false;
        }
    }
    return t.Send(cmd("smstatustime", num(statusTime))) && t.Send(cmd("sminittime", num(initTime))) &&
           t.Send(cmd("smconnecttime", num(connectTime))) && t.Send(cmd("sminttime", num(interruptTime))) &&
           t.Send(cmd("smhanguptime", num(hangUpTime))) &&
           t.Send(std::string("smflag(1,channel,") + ndr::BoolWord(enabled) + ")\r") &&
           t.Send(cmd("smsmstext", ndr::CommandSafe(smsText))) && t.Send(cmd("smsmsdial", ndr::CommandSafe(smsDial))) &&
           t.Send(cmd("smsmsenter", ndr::CommandSafe(smsEnter))) && t.Send(cmd("smsmsentertime", num(smsEnterTime)));
}

}  // namespace svu
