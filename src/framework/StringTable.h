#pragma once

// The program's numbered user texts: messages, captions, prompts, file-dialog filters and the
// few command strings that instruments expect. Every text is kept exactly as the program shows or
// sends it; callers refer to a text only by its number.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "framework/TextFormat.h"

namespace svu {

/// One numbered text.
struct StringEntry {
    int id;
    const char* text;
};

/// Stands in for a text whose number is unknown where a progress line needs one.
inline constexpr const char* kResourceNotFound = "ERROR: Resource not found";
/// Stands in for a label text whose number is unknown.
inline constexpr const char* kLoadStringFailed = "LoadString failed";

/// The text with this number, or nullptr when there is none.
const char* LoadString(int id);

/// The text with this number, or the empty text when there is none.
std::string Str(int id);

/// Every numbered text, sorted by number.
std::span<const StringEntry> AllStrings();

/// The printf-style text `id` formatted with `args` (see Format).
template <typename... Args>
std::string FormatString(int id, const Args&... args) {
    return Format(Str(id), args...);
}

/// The positional ("%1", "%2") text `id` filled with `args` (see FormatMessage).
inline std::string FormatStringMessage(int id, std::initializer_list<std::string_view> args) {
    return FormatMessage(Str(id), args);
}

}  // namespace svu
