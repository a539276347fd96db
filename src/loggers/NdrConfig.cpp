#include "loggers/NdrConfig.h"

#include "framework/FieldVisitor.h"
#include "loggers/NdrCommandLine.h"

namespace svu {

void NDR::VisitFields(FieldVisitor& v) {
    if (v.Schema() >= 7) {
        v.Int32("commandFormat", commandFormat);
    }
}

bool NDR::ReadFromLogger(NdrCommandLine& line) { return true; }

bool NDR::WriteToLogger(NdrCommandLine& line) const { return line.SendOnly("slprofile(save)\r"); }

}  // namespace svu
