#include "framework/Profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <mutex>

#include "framework/AtomicFile.h"
#include "framework/IniDocument.h"
#include "framework/RegularFile.h"
#include "framework/TextUtil.h"

namespace svu {

namespace {

// One lock for every profile file of the process: a read-modify-write of one key must not lose
// another thread's write to the same file, whichever Profile object it came through.
std::mutex& ProfileMutex() {
    static std::mutex mutex;
    return mutex;
}

enum class ReadStatus { Ok, Missing, Failed };

// Settings files are a few kilobytes; a bound keeps a damaged or hostile one from exhausting memory.
constexpr std::size_t kMaxSettingsFileBytes = 16u * 1024 * 1024;

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    switch (ReadRegularFile(path, kMaxSettingsFileBytes, bytes, &error)) {
        case ReadFileStatus::Ok:
            return ReadStatus::Ok;
        case ReadFileStatus::Missing:
            return ReadStatus::Missing;
        default:
            bytes.clear();
            return ReadStatus::Failed;
    }
}

IniDocument Load(const std::string& path) {
    std::string bytes;
    std::string error;
    ReadWholeFile(path, bytes, error);
    return IniDocument::Parse(bytes);
}

// Cuts UTF-8 text after `maxChars` characters without splitting a character (a stray byte that
// is not valid UTF-8 counts as one character).
std::string CutChars(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) {
            if (chars == maxChars) {
                return std::string(text.substr(0, i));
            }
            ++chars;
        }
    }
    return std::string(text);
}

enum class EditResult { Changed, Unchanged, Refused };

// Re-reads the file, applies one edit and writes the result back atomically.
bool Rewrite(const std::string& path, std::string& lastError, const std::function<EditResult(IniDocument&)>& edit) {
    std::lock_guard lock(ProfileMutex());
    lastError.clear();
    std::string bytes;
    // A file that exists but cannot be read must not be replaced by one holding a single key.
    if (ReadWholeFile(path, bytes, lastError) == ReadStatus::Failed) {
        return false;
    }
    IniDocument doc = IniDocument::Parse(bytes);
    switch (edit(doc)) {
        case EditResult::Refused:
            lastError = "cannot store this in a settings file (a line break, \"=\" in a key or \"]\" in a section)";
            return false;
        case EditResult::Unchanged:
            return true;
        case EditResult::Changed:
            break;
    }
    const std::string rendered = doc.Render();
    if (rendered == bytes) {
        return true;
    }
    return WriteFileAtomically(path, rendered, &lastError);
}

}  // namespace

Profile::Profile(std::string path) : path_(std::move(path)) {}

std::string Profile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    std::optional<std::string> value;
    {
        std::lock_guard lock(ProfileMutex());
        value = Load(path_).Get(section, key);
    }
    return CutChars(value ? *value : defaultValue, kMaxValueChars);
}

int Profile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    return AtoI(GetString(section, key, FormatC("%d", defaultValue)));
}

bool Profile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    return Rewrite(path_, lastError_, [&](IniDocument& doc) {
        return doc.Set(section, key, value) ? EditResult::Changed : EditResult::Refused;
    });
}

bool Profile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, FormatC("%d", value));
}

bool Profile::DeleteSection(std::string_view section) {
    return Rewrite(path_, lastError_, [&](IniDocument& doc) {
        return doc.DeleteSection(section) ? EditResult::Changed : EditResult::Unchanged;
    });
}

bool Profile::DeleteKey(std::string_view section, std::string_view key) {
    return Rewrite(path_, lastError_, [&](IniDocument& doc) {
        return doc.DeleteKey(section, key) ? EditResult::Changed : EditResult::Unchanged;
    });
}

std::vector<std::string> Profile::Sections() const {
    std::lock_guard lock(ProfileMutex());
    return Load(path_).Sections();
}

std::vector<std::string> Profile::Keys(std::string_view section) const {
    std::lock_guard lock(ProfileMutex());
    return Load(path_).Keys(section);
}

std::string Profile::LastError() const {
    std::lock_guard lock(ProfileMutex());
    return lastError_;
}

}  // namespace svu
