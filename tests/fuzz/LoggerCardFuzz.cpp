// Feeds arbitrary bytes to the logger card conversion as a data file. Nothing may crash, and the
// log written has the count line, the names and only whole lines.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzFile.h"
#include "loggers/ConvertLoggerData.h"

namespace {

std::string FuzzPath(const char* what) {
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    return (folder / ("svu-card-fuzz-" + std::to_string(::getpid()) + what)).string();
}

using svu::fuzz::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dataPath = FuzzPath(".dat");
    static const std::string logPath = FuzzPath(".log");
    static const bool init = [] {
        std::atexit([] {
            std::filesystem::remove(dataPath);
            std::filesystem::remove(logPath);
        });
        return true;
    }();
    (void)init;
    {
        std::ofstream out(dataPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const svu::LoggerConversionResult result = svu::ConvertLoggerRecords({"A", "B"}, dataPath, logPath);
    Check(result.error == svu::LoggerConversionError::None);
    std::ifstream in(logPath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Check(text.rfind("2\r\nA\r\nB\r\n", 0) == 0);
    Check(text.size() >= 2 && text.ends_with("\r\n"));
    long lines = 0;
    for (char c : text) {
        lines += c == '\n';
    }
    Check(lines == 3 + result.records);
    return 0;
}
