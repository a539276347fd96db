#pragma once

// An INI settings file read and written one key at a time, as Windows private-profile calls do:
// every read looks at the file as it is now, every write re-reads it, changes one thing and
// replaces it atomically. A missing file or key reads as the default.

#include <string>
#include <string_view>
#include <vector>

namespace svu {

class Profile {
public:
    /// Longest value a read returns, in characters; longer values are cut.
    static constexpr std::size_t kMaxValueChars = 259;

    /// A profile over the file at `path` (which need not exist yet).
    explicit Profile(std::string path);

    /// The file's path.
    const std::string& Path() const { return path_; }

    /// The key's value, or `defaultValue` when the file, section or key is missing; either is cut
    /// at kMaxValueChars characters.
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const;

    /// The key's value read with atoi rules (text that is not a number reads as 0), or
    /// `defaultValue` when the key is missing.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

    /// Sets a key (creating the file and section as needed). False when the file could not be
    /// rewritten, or when the names or value contain a line break (which would corrupt the file).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    /// Sets a key to the decimal text of `value`.
    bool WriteInt(std::string_view section, std::string_view key, int value);

    /// Removes a whole section. True when the section is gone afterwards.
    bool DeleteSection(std::string_view section);

    /// Removes one key. True when the key is gone afterwards.
    bool DeleteKey(std::string_view section, std::string_view key);

    /// The section names in file order.
    std::vector<std::string> Sections() const;

    /// The key names of a section in file order.
    std::vector<std::string> Keys(std::string_view section) const;

    /// What the last failed write reported (for the log), empty after success.
    std::string LastError() const;

private:
    std::string path_;
    std::string lastError_;
};

}  // namespace svu
