#include "loggers/FunctionDayFile.h"

#include "framework/StringTable.h"
#include "loggers/SoundLevelProtocol.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kUnableToOpenLogFile = 550;
constexpr int kUnableToWriteLogFile = 653;

}  // namespace

void FunctionDayFile::Write(const WeatherStation& station, TimeT time, int count) {
    if (!station.loggingEnabled) {
        Close();
        return;
    }
    const LocalTm tm = ToLocal(time);
    // The whole date decides the file, so lines a month apart never share one.
    const int date = tm.year * 10000 + tm.month * 100 + tm.day;
    if (file_.IsOpen() && date != date_) {
        Close();
    }
    if (!file_.IsOpen()) {
        const std::string path = FunctionFileName(station.logFolder, station.name, time, extension_);
        bool empty = false;
        if (!file_.Open(path, empty)) {
            ReportError(&station, Str(kUnableToOpenLogFile) + " [" + path + "]");
            return;
        }
        date_ = date;
        if (empty && !file_.Write(FunctionFileHeader(station.channelNames, first_, count))) {
            ReportError(&station, Str(kUnableToWriteLogFile) + " [" + path + "]");
        }
    }
    if (!file_.Write(FunctionFileRecord(time, station.values, first_, count))) {
        ReportError(&station, Str(kUnableToWriteLogFile) + " [" + file_.Path() + "]");
    }
    day_ = tm.day;
}

void FunctionDayFile::Close() {
    file_.Close();
}

}  // namespace svu
