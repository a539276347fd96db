#pragma once

// /api/history: its query read and checked, the channels it names matched with the log's
// columns, and the records written out as JSON or CSV within a bound on their size.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

class HistoryRecords;

struct HistoryQuery {
    std::string station;
    TimeT from = 0;
    TimeT to = 0;
    std::vector<std::string> channels;  // as asked: column names or indexes; empty for every column
    bool csv = false;
};

/// A request parameter's value, or nullopt when the request has none.
using ParamLookup = std::function<std::optional<std::string>(const char* name)>;

/// Reads the parameters (see docs/web-api.md); nullopt with a sentence in `error` when one is
/// missing or wrong, the period runs backwards or spans more than `maxDays` days.
std::optional<HistoryQuery> ParseHistoryQuery(const ParamLookup& param, TimeT now, int maxDays, std::string& error);

struct HistoryColumn {
    int column = -1;
    std::optional<std::string> name;  // none when the logs read give no name for an index
};

/// The columns a query names, in its order (every column of `names` when it names none); nullopt
/// with `error` for a name that is not among `names` (when there are names to match) or an index
/// that is out of range.
std::optional<std::vector<HistoryColumn>> MatchHistoryColumns(const std::vector<std::string>& asked,
                                                              const std::vector<std::string>& names,
                                                              std::string& error);

/// The answer's body; the caller has checked that records times columns is within its bound.
std::string HistoryJson(const HistoryQuery& query, const std::vector<HistoryColumn>& columns,
                        const HistoryRecords& records);
std::string HistoryCsv(const std::vector<HistoryColumn>& columns, const HistoryRecords& records);

}  // namespace svu
