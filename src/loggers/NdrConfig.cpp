#include "loggers/NdrConfig.h"

#include "framework/FieldVisitor.h"
#include "loggers/NdrCommandLine.h"
#include "loggers/NdrTransfer.h"

namespace svu {

void NDR::VisitFields(FieldVisitor& v) {
    for (size_t p = 0; p < comms.size(); ++p) {
        comms[p].VisitFields(v, "port" + std::to_string(p + 1) + ".");
    }
    dataChannels.VisitFields(v);
    for (size_t a = 0; a < alarms.size(); ++a) {
        alarms[a].VisitFields(v, "alarm" + std::to_string(a + 1) + ".");
    }
    modem.VisitFields(v, "modem.");
    v.UInt16("loggerNumber", loggerNumber);
    v.String("loggerText", loggerText);
    v.Int32("logMode", loggingEnabled);  // not "loggingEnabled": the station record has one
    v.Int32("logRate", logRate);
    v.Int32("fastLogRate", fastLogRate);
    v.Int32("alarmMode", alarmMode);
    for (size_t i = 0; i < pwm.size(); ++i) {
        const std::string prefix = "pwm" + std::to_string(i + 1) + ".";
        v.Int32((prefix + "enabled").c_str(), pwm[i].enabled);
        v.UInt8((prefix + "inputChannel").c_str(), pwm[i].inputChannel);
    }
    if (v.Schema() >= 3) {
        v.Int32("autoMode", autoMode);
        v.UInt16("autoIdle", autoIdle);
        v.UInt16("autoInterval", autoInterval);
    }
    if (v.Schema() >= 5) {
        v.String("specialCommands", specialCommands);
    }
    if (v.Schema() >= 7) {
        v.Int32("commandFormat", commandFormat);
    }
}

bool NDR::operator==(const NDR& o) const {
    return comms == o.comms && dataChannels == o.dataChannels && alarms == o.alarms && modem == o.modem &&
           loggerNumber == o.loggerNumber && loggerText == o.loggerText && loggingEnabled == o.loggingEnabled &&
           logRate == o.logRate && fastLogRate == o.fastLogRate && alarmMode == o.alarmMode && pwm == o.pwm &&
           autoMode == o.autoMode && autoIdle == o.autoIdle && autoInterval == o.autoInterval &&
           specialCommands == o.specialCommands && commandFormat == o.commandFormat;
}

bool NDR::ReadGeneral(NdrTransfer& t) {
    if (!t.ReadText("sltext\r", loggerText) || !t.ReadInteger("slnumber\r", loggerNumber) ||
        !t.ReadBool("sllogmode\r", loggingEnabled) || !t.ReadRate("sllograte\r", logRate) ||
        !t.ReadRate("sllogratefast\r", fastLogRate) || !t.ReadBool("samode\r", alarmMode)) {
        return false;
    }
    for (size_t i = 0; i < pwm.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        if (!t.ReadBool("spwmflag(" + n + ",channel)\r", pwm[i].enabled) ||
            !t.ReadInteger("spwminput(" + n + ")\r", pwm[i].inputChannel)) {
            return false;
        }
    }
    return true;
}

bool NDR::ReadFromLogger(NdrCommandLine& line) {
    NdrTransfer t(line);
    bool ok = ReadGeneral(t);
    for (size_t p = 0; ok && p < comms.size(); ++p) {
        ok = comms[p].ReadFromLogger(t, static_cast<int>(p + 1));
    }
    ok = ok && dataChannels.ReadFromLogger(t);
    for (size_t a = 0; ok && a < alarms.size(); ++a) {
        ok = alarms[a].ReadFromLogger(t, static_cast<int>(a + 1));
    }
    ok = ok && modem.ReadFromLogger(t) && t.ReadBool("slautomode\r", autoMode) &&
         t.ReadInteger("slautoidle\r", autoIdle) && t.ReadInteger("slautoint\r", autoInterval);
    transferProblems_ = t.Problems();
    return ok;
}

bool NDR::WriteGeneral(NdrTransfer& t) const {
    if (!t.Send("slnumber(" + std::to_string(loggerNumber) + ")\r") ||
        !t.Send("sltext(" + ndr::CommandSafe(loggerText) + ")\r") ||
        !t.Send(std::string("sllogmode(") + ndr::BoolWord(loggingEnabled) + ")\r") ||
        !t.Send("sllograte(" + ndr::RateText(logRate) + ")\r") ||
        !t.Send("sllogratefast(" + ndr::RateText(fastLogRate) + ")\r") ||
        !t.Send(std::string("samode(") + ndr::BoolWord(alarmMode) + ")\r")) {
        return false;
    }
    for (size_t i = 0; i < pwm.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        if (!t.Send("spwmflag(" + n + ",channel," + ndr::BoolWord(pwm[i].enabled) + ")\r") ||
            !t.Send("spwminput(" + n + "," + std::to_string(pwm[i].inputChannel) + ")\r")) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> NDR::SpecialCommandLines() const {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t lf = specialCommands.find('\n'); lf != std::string::npos; lf = specialCommands.find('\n', start)) {
        lines.push_back(specialCommands.substr(start, lf - start));
        start = lf + 1;
    }
    return lines;
}

int NDR::WriteCommandCount() const {
    int count = 6 + 4 + 2 * NDR_Comms::kCommands + NDR_DataChannels::kCommands + NDR_Modem::kCommands + 3 + 1;
    for (const NDR_Alarm& alarm : alarms) {
        count += alarm.WriteCommands();
    }
    return count + static_cast<int>(SpecialCommandLines().size());
}

bool NDR::WriteToLogger(NdrCommandLine& line) const {
    NdrTransfer t(line);
    bool ok = WriteGeneral(t);
    for (size_t p = 0; ok && p < comms.size(); ++p) {
        ok = comms[p].WriteToLogger(t, static_cast<int>(p + 1));
    }
    ok = ok && dataChannels.WriteToLogger(t);
    for (size_t a = 0; ok && a < alarms.size(); ++a) {
        ok = alarms[a].WriteToLogger(t, static_cast<int>(a + 1));
    }
    ok = ok && modem.WriteToLogger(t) && t.Send(std::string("slautomode(") + ndr::BoolWord(autoMode) + ")\r") &&
         t.Send("slautoidle(" + std::to_string(autoIdle) + ")\r") &&
         t.Send("slautoint(" + std::to_string(autoInterval) + ")\r");
    // Sent as the user typed them: the piece before each line feed, a carriage return before it
    // included, is one command (the logger ends it at its own carriage return).
    for (const std::string& command : SpecialCommandLines()) {
        if (!ok) {
            break;
        }
        std::string text = command;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        ok = t.Send(text + "\r");
    }
    ok = ok && t.Send("slprofile(save)\r");
    transferProblems_ = t.Problems();
    return ok;
}

}  // namespace svu
