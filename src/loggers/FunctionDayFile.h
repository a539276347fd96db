#pragma once

#include <string>
#include <vector>

#include "framework/LocalTime.h"
#include "stations/LogFile.h"

namespace svu {

class WeatherStation;

/// One of the sound level meter's own daily files (".per" period functions, ".pro" profile
/// functions): the log layout, a record for every line, the date taken from the line's time, and a
/// header counting the functions of the line that created the file.
class FunctionDayFile {
public:
    /// `extension` ".per" or ".pro"; `firstChannel` the 0-based channel of the first function.
    FunctionDayFile(const char* extension, int firstChannel) : extension_(extension), first_(firstChannel) {}

    /// Appends the record of `count` functions stamped `time`, opening the day's file first (and
    /// closing another day's). Logging switched off closes the file instead. Failures go to the
    /// station's error report.
    void Write(const WeatherStation& station, TimeT time, int count);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }
    /// Day of month of the open file, 0 when none was opened.
    int Day() const { return day_; }
    void ResetDay() { day_ = date_ = 0; }

private:
    const char* extension_;
    int first_;
    LogFile file_;
    int day_ = 0;
    int date_ = 0;  // yyyymmdd of the open file
};

}  // namespace svu
