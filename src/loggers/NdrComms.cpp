#include "loggers/NdrComms.h"

#include "framework/FieldVisitor.h"
#include "loggers/NdrTransfer.h"

namespace svu {

void NDR_Comms::VisitFields(FieldVisitor& v, const std::string& prefix) {
    v.Int32((prefix + "baudRate").c_str(), baudRate);
    v.UInt8((prefix + "dataBits").c_str(), dataBits);
    v.UInt8((prefix + "stopBits").c_str(), stopBits);
    v.UInt32((prefix + "parity").c_str(), parity);
    v.UInt32((prefix + "flow").c_str(), flow);
}

bool NDR_Comms::ReadFromLogger(NdrTransfer& t, int p) {
    const std::string n = "(" + std::to_string(p) + ")\r";
    return t.ReadInteger("sscibaud" + n, baudRate) && t.ReadInteger("sscidata" + n, dataBits) &&
           t.ReadInteger("sscistop" + n, stopBits) && t.ReadWord("ssciparity" + n, kParities, parity) &&
           t.ReadWord("ssciflow" + n, kFlows, flow);
}

bool NDR_Comms::WriteToLogger(NdrTransfer& t, int p) const {
    const std::string n = std::to_string(p) + ",";
    return t.Send("sscibaud(" + n + std::to_string(baudRate) + ")\r") &&
           t.Send("sscidata(" + n + std::to_string(dataBits) + ")\r") &&
           t.Send("sscistop(" + n + std::to_string(stopBits) + ")\r") &&
           t.SendWord("ssciparity(" + n, kParities, parity) && t.SendWord("ssciflow(" + n, kFlows, flow);
}

}  // namespace svu
