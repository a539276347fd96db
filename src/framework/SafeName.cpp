#include "framework/SafeName.h"

#include <algorithm>
#include <cstdio>

namespace svu {

namespace {

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

}  // namespace

bool HasNoControls(std::string_view text) {
    for (const char c : text) {
        if (IsControl(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

std::string FileNamePartProblem(std::string_view name) {
    if (name.find('/') != std::string_view::npos) {
        return "contains a '/'";
    }
    if (name.find('\\') != std::string_view::npos) {
        return "contains a '\\'";
    }
    if (name.find("..") != std::string_view::npos) {
        return "contains \"..\"";
    }
    if (!HasNoControls(name)) {
        return "contains a control character";
    }
    return {};
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    if (name.empty() || !HasNoControls(name)) {
        return {};
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        if (name.compare(start, end - start, "..") == 0) {
            return {};
        }
        start = end + 1;
    }
    if (name.front() == '/' || folder.empty()) {
        return name;
    }
    return folder + (folder.back() == '/' ? "" : "/") + name;
}

std::string EscapeControls(std::string_view text) {
    if (HasNoControls(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (!IsControl(u)) {
            out += c;
            continue;
        }
        switch (u) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case 0x1B:
                out += "\\e";
                break;
            default: {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", u);
                out += hex;
            }
        }
    }
    return out;
}

}  // namespace svu
