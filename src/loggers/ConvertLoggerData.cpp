#include "loggers/ConvertLoggerData.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "Version.h"
#include "framework/UserInterface.h"
#include "historic/AtomicOutputFile.h"

namespace svu {

namespace {

constexpr int kNamesLine = 5;
constexpr uint8_t kReadingRecord = 1;
constexpr std::string_view kLineEnd = "\r\n";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's civil_from_days).
void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

uint32_t BigEndian32(const unsigned char* b) {
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]);
}

}  // namespace

const char* LoggerConversionMessage(LoggerConversionError error) {
    switch (error) {
        case LoggerConversionError::HeaderOpen:
            return "Unable to open header file";
        case LoggerConversionError::HeaderInvalid:
            return "Invalid header file";
        case LoggerConversionError::LogOpen:
            return "Unable to open log file";
        case LoggerConversionError::DataOpen:
            return "Unable to open data file";
        case LoggerConversionError::None:
            break;
    }
    return "";
}

std::string LoggerTimeToDate(uint32_t seconds) {
    int year = 1970;
    int month = 1;
    int day = 1;
    CivilFromDays(seconds / 86400, year, month, day);
    char text[64];
    std::snprintf(text, sizeof text, "%02i/%02i/%02i, %02i:%02i:%02i", day, month, year % 100,
                  static_cast<int>(seconds % 86400 / 3600), static_cast<int>(seconds % 3600 / 60),
                  static_cast<int>(seconds % 60));
    return text;
}

bool ReadLoggerHeader(const std::string& headerPath, std::vector<std::string>& names, LoggerConversionError& error) {
    names.clear();
    std::ifstream in(headerPath, std::ios::binary);
    if (!in) {
        error = LoggerConversionError::HeaderOpen;
        return false;
    }
    std::string line;
    for (int n = 1; n <= kNamesLine; ++n) {
        if (!std::getline(in, line)) {
            error = LoggerConversionError::HeaderInvalid;
            return false;
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        names.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    error = LoggerConversionError::None;
    return true;
}

LoggerConversionResult ConvertLoggerRecords(const std::vector<std::string>& names, const std::string& dataPath,
                                            const std::string& logPath) {
    LoggerConversionResult result;
    // The data file is opened before the log is created, so a missing card file leaves an existing
    // log as it was.
    File data(std::fopen(dataPath.c_str(), "rb"));
    if (!data) {
        result.error = LoggerConversionError::DataOpen;
        return result;
    }
    AtomicOutputFile out;
    if (!out.Open(logPath)) {
        result.error = LoggerConversionError::LogOpen;
        return result;
    }
    std::string text = std::to_string(names.size());
    text += kLineEnd;
    for (const std::string& name : names) {
        text += name;
        text += kLineEnd;
    }
    out.Write(text);

    std::string line;
    char number[64];
    unsigned char head[6];
    for (;;) {
        const std::size_t got = std::fread(head, 1, sizeof head, data.get());
        if (got < 2) {
            break;  // the end of the file, or a record of nothing but its count
        }
        const int n = head[0];
        const bool reading = head[1] == kReadingRecord;
        line = LoggerTimeToDate(got == sizeof head ? BigEndian32(head + 2) : 0);
        bool cut = got < sizeof head;
        for (int k = 0; k < n && !cut; ++k) {
            unsigned char value[4];
            if (std::fread(value, 1, sizeof value, data.get()) != sizeof value) {
                cut = true;
                break;
            }
            const uint32_t bits = BigEndian32(value);
            float f = 0.0f;
            std::memcpy(&f, &bits, sizeof f);
            std::snprintf(number, sizeof number, ", %g", static_cast<double>(f));
            line += number;
        }
        if (reading && got == sizeof head) {
            line += kLineEnd;
            out.Write(line);
            ++result.records;
        }
        if (cut || std::fgetc(data.get()) == EOF) {
            break;
        }
    }
    if (!out.Commit()) {
        result.error = LoggerConversionError::LogOpen;
        result.records = 0;
    }
    return result;
}

LoggerConversionResult ConvertLoggerData(const std::string& headerPath, const std::string& dataPath,
                                         const std::string& logPath, UserInterface* ui) {
    if (ui != nullptr) {
        ui->BeginWaitCursor();
    }
    LoggerConversionResult result;
    std::vector<std::string> names;
    if (ReadLoggerHeader(headerPath, names, result.error)) {
        result = ConvertLoggerRecords(names, dataPath, logPath);
    }
    if (ui != nullptr) {
        ui->EndWaitCursor();
        if (result.error != LoggerConversionError::None) {
            ui->MessageBox(LoggerConversionMessage(result.error), kProductName, MsgButtons::Ok, MsgIcon::Warning);
        }
    }
    return result;
}

}  // namespace svu
