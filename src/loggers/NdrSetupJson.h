#pragma once

#include <string>

namespace svu {

class NDR;

/// The logger set-up as JSON text: one member per setting, named as in the record
/// ("channel5.unit", "alarm7.list2").
std::string NdrToJson(const NDR& ndr);
/// Reads settings from JSON text over `ndr` (members left out keep their values). False with the
/// reason in `error` for text that is no JSON object, a member of the wrong kind or out of range,
/// or a member that names no setting.
bool NdrFromJson(const std::string& text, NDR& ndr, std::string* error);

}  // namespace svu
