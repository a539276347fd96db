#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace svu {

/// Text conversions behind archive strings: UTF-8 in memory, Windows-1252 or UTF-16LE on disk.
/// Decodes UTF-8 into code points; every malformed, overlong or surrogate sequence becomes '?'.
std::u32string DecodeUtf8Lenient(std::string_view utf8);

/// Appends the UTF-8 form of one code point (which must be a valid scalar value).
void AppendUtf8(std::string& out, char32_t codePoint);

/// Windows-1252 bytes for the code points, or nothing when one of them has no Windows-1252 byte.
std::optional<std::string> CodePointsToWindows1252(std::u32string_view codePoints);

/// UTF-8 text of Windows-1252 bytes; the five unassigned bytes map to the C1 controls of the same value.
std::string Windows1252ToUtf8(std::string_view bytes);

/// UTF-16 code units of the code points (surrogate pairs above U+FFFF).
std::u16string CodePointsToUtf16(std::u32string_view codePoints);

/// UTF-8 text of UTF-16 code units, or nothing when a surrogate is unpaired.
std::optional<std::string> Utf16ToUtf8(std::u16string_view units);

}  // namespace svu
