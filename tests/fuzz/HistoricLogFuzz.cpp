// Feeds arbitrary bytes to the historic readers as a chosen log file: the period reader, the
// table's whole-file view, the graph's traces and the wind rose. Nothing may crash, kept lines lie
// in the period and in time order, and the traces' time indexes never go backwards.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzFile.h"
#include "historic/HistoricLog.h"
#include "historic/HistoricTraces.h"
#include "historic/HistoricWindrose.h"

using svu::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path =
        svu::fuzz::WriteFuzzFile("historic", std::string_view(reinterpret_cast<const char*>(data), size));

    svu::HistoricSource source;
    source.downloaded = true;
    source.filePath = path;
    const svu::TimeT from = 0;
    const svu::TimeT to = 4102444800;  // 2100
    svu::HistoricLog log;
    const svu::HistoricLoadStatus status = svu::LoadHistoricRange(source, from, to, log);
    Check(status != svu::HistoricLoadStatus::UnableToOpen);
    Check((status == svu::HistoricLoadStatus::Ok) == log.HaveData());
    for (std::size_t i = 0; i < log.Count(); ++i) {
        Check(log.Time(i) >= from && log.Time(i) <= to);
        Check(i == 0 || log.Time(i - 1) <= log.Time(i));
        Check(log.Line(i).find('\n') == std::string_view::npos);
    }
    if (log.HaveData()) {
        const int unit = svu::HistoricTimeUnit(log);
        for (int channel : {0, 1, 3}) {
            for (bool direction : {false, true}) {
                svu::HistoricTrace trace;
                trace.channel = channel;
                trace.windDirection = direction;
                const svu::TraceSeries series = svu::BuildTraceSeries(log, trace, unit);
                Check(series.x.size() == series.y.size());
                for (std::size_t i = 1; i < series.x.size(); ++i) {
                    Check(series.x[i - 1] < series.x[i]);
                }
            }
        }
        svu::RoseSettings settings;
        settings.directionChannel = 0;
        settings.speedChannel = 1;
        const svu::RoseResult rose = svu::ComputeRose(log, settings);
        Check(rose.Sectors() == svu::kRoseSectors);
    }

    svu::LogFileView view;
    Check(view.Open(path));
    for (std::size_t i = 0; i < view.Count(); ++i) {
        svu::LogDateText(view.Line(i));
        svu::LogTimeText(view.Line(i));
        svu::LogFieldText(view.Line(i), 0);
    }
    svu::TimeT first = 0;
    svu::TimeT last = 0;
    svu::LogFileTimeSpan(path, first, last);
    return 0;
}
