#pragma once

// The web server's access to the logs: the historic log reader over a station's day files.

#include "outputs/WebHistory.h"

namespace svu {

class LogHistoryReader : public HistoryReader {
public:
    std::unique_ptr<HistoryRecords> Load(const std::string& logFolder, const std::string& stationName, TimeT from,
                                         TimeT to) override;
};

}  // namespace svu
