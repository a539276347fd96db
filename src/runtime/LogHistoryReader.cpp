#include "runtime/LogHistoryReader.h"

#include "historic/HistoricLog.h"

namespace svu {

namespace {

class LoadedRecords : public HistoryRecords {
public:
    HistoricLog log;

    const std::vector<std::string>& Columns() const override { return log.channelNames; }
    std::size_t Count() const override { return log.Count(); }
    TimeT Time(std::size_t record) const override { return log.Time(record); }
    std::string_view Field(std::size_t record, int column) const override {
        return LogFieldText(log.Line(record), column);
    }
};

}  // namespace

std::unique_ptr<HistoryRecords> LogHistoryReader::Load(const std::string& logFolder, const std::string& stationName,
                                                       TimeT from, TimeT to) {
    auto records = std::make_unique<LoadedRecords>();
    HistoricSource source;
    source.logFolder = logFolder;
    source.stationName = stationName;
    LoadHistoricRange(source, from, to, records->log);  // no file or no record: simply none
    return records;
}

}  // namespace svu
