#pragma once

// Day files of a station named Hill in a temporary log folder.

#include <string>
#include <vector>

#include "framework/TempDir.h"
#include "historic/DayFiles.h"

namespace svu::test {

class LogFolder {
public:
    /// Writes the day's file with the given header names and records (each line ended with CR LF).
    void WriteDay(const CalendarDay& day, const std::vector<std::string>& names,
                  const std::vector<std::string>& records, const std::string& tail = "") {
        std::string text = std::to_string(names.size()) + "\r\n";
        for (const std::string& name : names) {
            text += name + "\r\n";
        }
        for (const std::string& record : records) {
            text += record + "\r\n";
        }
        WriteFileBytes(Path(day), text + tail);
    }
    std::string Path(const CalendarDay& day) const { return DayFilePath(Folder(), "Hill", day); }
    std::string Folder() const { return dir.Path().string(); }

    TempDir dir;
};

}  // namespace svu::test
