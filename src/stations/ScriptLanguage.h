#pragma once

// The byte-level pieces of the generic serial station's script language, as pure functions:
// escapes in quoted texts, patterns with "?" wildcards, "trim", the received checksum and the
// mask that turns received bytes into channel values.

#include <cstddef>
#include <string>
#include <string_view>

namespace svu::script {

/// Decodes "\\", "\e", "\f", "\n", "\r", "\t" and "\xHH" (exactly two hexadecimal digits); a
/// backslash before any other character gives that character, a backslash at the end nothing.
std::string DecodeEscapes(std::string_view text);

/// True when pattern occurs anywhere in buffer, "?" in the pattern matching any byte. An empty
/// pattern occurs everywhere.
bool ContainsPattern(std::string_view buffer, std::string_view pattern);

/// True when buffer ends with pattern (same matching rule): the test a byte-by-byte receive makes
/// after each new byte.
bool EndsWithPattern(std::string_view buffer, std::string_view pattern);

/// "trim a b c": removes the first a bytes (when at least a are there) and the last c (when at
/// least c are there); then, when b is not 0 and at least b bytes remain, keeps the first b if a
/// is not 0, otherwise the last b. Negative counts count as 0.
void TrimBuffer(std::string& buffer, long a, long b, long c);

/// The last two bytes read as two hexadecimal digits (either case); -1 when there are fewer than
/// two bytes or they are not hexadecimal digits.
int ReadReceivedChecksum(std::string_view buffer);

/// The sum of all bytes modulo 256.
int ByteSum(std::string_view buffer);

/// Converts received bytes with a decoded mask into values, each followed by ",":
///   n plus one separator character   the next n bytes as a decimal number
///   x or X plus a delimiter d        the bytes up to the next d (d consumed), as a number;
///                                    without a delimiter, the rest of the bytes
///   B b / C c                        one byte, unsigned / signed
///   I / W                            two bytes, high byte first, signed / unsigned
///   i / w                            two bytes, low byte first, signed / unsigned
/// Other characters read nothing. An item that needs more bytes than remain takes none; a text
/// item takes what is left (and appends nothing when nothing is left).
std::string ApplyMask(std::string_view received, std::string_view mask);

/// A decimal number as the mask writes it: "%10.5f", leading spaces removed, trailing zero
/// decimals removed down to one.
std::string FormatMaskNumber(std::string_view text);

/// Field `index` (from 0) of a comma-separated result; empty when there are fewer fields.
std::string ResultField(std::string_view result, std::size_t index);

}  // namespace svu::script
