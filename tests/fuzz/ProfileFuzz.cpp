// Feeds arbitrary bytes to the settings-file reader and editor: the bytes become an INI file,
// which is then read, edited and rewritten through Profile; nothing may crash, and what was
// written must read back.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "framework/AtomicFile.h"
#include "framework/IniDocument.h"
#include "framework/Profile.h"

namespace {

// tmpfs where available: every input rewrites the file several times.
std::string FuzzFilePath() {
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    return (folder / ("svu-profile-fuzz-" + std::to_string(::getpid()) + ".ini")).string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = FuzzFilePath();
    static const bool init = [] {
        svu::SetAtomicWriteSyncForTesting(false);
        std::atexit([] { std::filesystem::remove(path); });
        return true;
    }();
    (void)init;

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // Names taken from the input itself reach sections and keys that really are in the file.
    const std::string_view section = bytes.substr(0, std::min<std::size_t>(bytes.size(), 8));
    const std::string_view key = bytes.substr(std::min<std::size_t>(bytes.size(), 8), 6);

    svu::Profile profile(path);
    profile.GetString(section, key, "default");
    profile.GetInt("Settings", "PreviewPages", 0);
    profile.Sections();
    profile.Keys(section);

    if (profile.WriteString("Settings", "LockLayout", "Yes") &&
        profile.GetString("Settings", "LockLayout", "") != "Yes") {
        std::abort();
    }
    if (profile.WriteString(section, key, bytes.substr(std::min<std::size_t>(bytes.size(), 14), 300)) &&
        profile.GetString(section, key, "\n") == "\n") {
        std::abort();
    }
    profile.WriteInt("NoDataWarning", "Minutes", static_cast<int>(size));
    profile.DeleteKey(section, key);
    profile.DeleteSection(section);
    if (profile.DeleteSection("Settings") && profile.GetString("Settings", "LockLayout", "gone") != "gone") {
        std::abort();
    }

    // The rewritten file parses back to the same bytes.
    std::ifstream in(path, std::ios::binary);
    const std::string rewritten((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (svu::IniDocument::Parse(rewritten).Render() != rewritten) {
        std::abort();
    }
    return 0;
}
