#include "framework/IniDocument.h"

#include "framework/TextUtil.h"

namespace svu {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

IniDocument::Line IniDocument::Classify(std::string text) {
    Line line;
    const std::string_view trimmed = Trim(text);
    if (!trimmed.empty() && trimmed.front() == '[') {
        const std::size_t close = trimmed.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = std::string(Trim(trimmed.substr(1, close - 1)));
        }
    } else if (!trimmed.empty() && trimmed.front() != ';') {
        const std::size_t equals = trimmed.find('=');
        if (equals != std::string_view::npos) {
            line.kind = LineKind::Key;
            line.name = std::string(Trim(trimmed.substr(0, equals)));
        }
    }
    line.text = std::move(text);
    return line;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
    IniDocument doc;
    if (bytes.starts_with(kByteOrderMark)) {
        doc.byteOrderMark_ = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        bytes = lf == std::string_view::npos ? std::string_view() : bytes.substr(lf + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        doc.lines_.push_back(Classify(std::string(line)));
    }
    return doc;
}

std::string IniDocument::Render() const {
    std::string out;
    if (byteOrderMark_) {
        out += kByteOrderMark;
    }
    for (const Line& line : lines_) {
        out += line.text;
        out += "\r\n";
    }
    return out;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    while (end < lines_.size() && lines_[end].kind != LineKind::Section) {
        ++end;
    }
    return end;
}

bool IniDocument::FindSection(std::string_view section, std::size_t& header, std::size_t& end) const {
    const std::string_view wanted = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == LineKind::Section && EqualsNoCase(lines_[i].name, wanted)) {
            header = i;
            end = SectionEnd(i);
            return true;
        }
    }
    return false;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    std::size_t header = 0;
    std::size_t end = 0;
    if (!FindSection(section, header, end)) {
        return std::nullopt;
    }
    const std::string_view wantedKey = Trim(key);
    for (std::size_t i = header + 1; i < end; ++i) {
        const Line& line = lines_[i];
        if (line.kind != LineKind::Key || !EqualsNoCase(line.name, wantedKey)) {
            continue;
        }
        std::string_view value = Trim(std::string_view(line.text).substr(line.text.find('=') + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return std::nullopt;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value) ||
        sectionName.find(']') != std::string_view::npos || keyName.empty() ||
        keyName.find('=') != std::string_view::npos || keyName.front() == ';' || keyName.front() == '[') {
        return false;
    }
    std::size_t header = 0;
    std::size_t end = 0;
    if (!FindSection(sectionName, header, end)) {
        lines_.push_back(Classify("[" + std::string(sectionName) + "]"));
        lines_.push_back(Classify(std::string(keyName) + "=" + std::string(value)));
        return true;
    }
    for (std::size_t i = header + 1; i < end; ++i) {
        Line& line = lines_[i];
        if (line.kind == LineKind::Key && EqualsNoCase(line.name, keyName)) {
            line.text = line.name + "=" + std::string(value);
            return true;
        }
    }
    // New keys go after the section's last non-blank line, so blank separator lines stay last.
    std::size_t insertAt = end;
    while (insertAt > header + 1 && Trim(lines_[insertAt - 1].text).empty()) {
        --insertAt;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Classify(std::string(keyName) + "=" + std::string(value)));
    return true;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
    std::size_t header = 0;
    std::size_t end = 0;
    if (!FindSection(section, header, end)) {
        return false;
    }
    const std::string_view wantedKey = Trim(key);
    bool removed = false;
    for (std::size_t i = end; i-- > header + 1;) {
        if (lines_[i].kind == LineKind::Key && EqualsNoCase(lines_[i].name, wantedKey)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
        }
    }
    return removed;
}

bool IniDocument::DeleteSection(std::string_view section) {
    bool removed = false;
    std::size_t header = 0;
    std::size_t end = 0;
    while (FindSection(section, header, end)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(end));
        removed = true;
    }
    return removed;
}

std::vector<std::string> IniDocument::Sections() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind != LineKind::Section) {
            continue;
        }
        bool seen = false;
        for (const std::string& name : names) {
            seen = seen || EqualsNoCase(name, line.name);
        }
        if (!seen) {
            names.push_back(line.name);
        }
    }
    return names;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
    std::vector<std::string> names;
    std::size_t header = 0;
    std::size_t end = 0;
    if (FindSection(section, header, end)) {
        for (std::size_t i = header + 1; i < end; ++i) {
            if (lines_[i].kind == LineKind::Key) {
                names.push_back(lines_[i].name);
            }
        }
    }
    return names;
}

}  // namespace svu
