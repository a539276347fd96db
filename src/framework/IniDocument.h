#pragma once

// The text of an INI file held as lines, with the lookup and edit rules of Windows private
// profiles: sections and keys match without regard to ASCII letter case, the first section and
// the first key of a name count, values are trimmed of white space and of one pair of enclosing
// quotes, and everything else (comments, blank lines, lines the reader does not understand, the
// order of all of them) survives an edit untouched.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace svu {

class IniDocument {
public:
    /// Reads the bytes of a file; LF and CR LF line ends are both accepted.
    static IniDocument Parse(std::string_view bytes);

    /// The file's bytes, every line ended with CR LF.
    std::string Render() const;

    /// The value of a key, or nothing when the section or key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    /// Sets a key, adding it (and its section) at the end when missing. Refuses (false) names or
    /// values that could not be read back as written: line breaks or NUL anywhere, "=" in a key,
    /// "]" in a section name, an empty key.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    /// Removes a key from its section; false when there was nothing to remove.
    bool DeleteKey(std::string_view section, std::string_view key);

    /// Removes every section of this name with all its lines; false when there was none.
    bool DeleteSection(std::string_view section);

    /// The section names in file order (first spelling of each).
    std::vector<std::string> Sections() const;

    /// The key names of a section in file order.
    std::vector<std::string> Keys(std::string_view section) const;

private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        std::string text;
        LineKind kind = LineKind::Other;
        std::string name;  // section name or key name, trimmed
    };

    static Line Classify(std::string text);
    // Index of the first header of `section` and one past the last line of that section.
    bool FindSection(std::string_view section, std::size_t& header, std::size_t& end) const;
    std::size_t SectionEnd(std::size_t header) const;

    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
};

}  // namespace svu
