#pragma once

// The text form of a display file read back: the JSON that `stratavue-cli display show --json`
// prints becomes a display document again, so a display can be kept and edited as text.

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace svu {

class CStratavueDoc;
class WeatherStation;

namespace cli {

/// Fills `doc` (emptied first) from the JSON form of a display file. Members that are missing keep
/// their defaults. Item sources name their station and channel, which must exist in `stations`
/// (`stationFile` names that list in messages). Each kind's own settings are read by the field
/// list show --json writes them from. Items of a kind this version lacks fail the import unless
/// `skipped` is given: they are then left out and described there. False with `error`
/// ("gadgets[2].page: ...") on any other problem.
bool DisplayFromJson(const nlohmann::ordered_json& file, CStratavueDoc& doc,
                     const std::vector<std::unique_ptr<WeatherStation>>& stations, const std::string& stationFile,
                     std::vector<std::string>* skipped, std::string& error);

}  // namespace cli
}  // namespace svu
