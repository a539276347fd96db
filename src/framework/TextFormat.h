#pragma once

// Formatting of the program's numbered texts. Many of them are printf formats ("Page %i",
// "Starting %s: %.2f %s") and some use positional markers ("%1 of %2"). Format() takes the
// format at run time but checks nothing at compile time, so it must never misbehave: every
// argument is carried with its type, a conversion that does not match its argument converts the
// value instead of reading garbage, and missing arguments format as empty or zero.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace svu {

/// One argument of Format(), with its type.
class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Floating, Text, Pointer };

    template <typename T>
    requires(std::is_integral_v<T>&& std::is_signed_v<T>) FormatArg(T value)
        : kind_(Kind::Signed), signed_(value), bits_(sizeof(T) * 8) {}

    template <typename T>
    requires(std::is_integral_v<T>&& std::is_unsigned_v<T> && !std::is_same_v<T, bool>) FormatArg(T value)
        : kind_(Kind::Unsigned), unsigned_(value), bits_(sizeof(T) * 8) {}

    FormatArg(bool value) : kind_(Kind::Signed), signed_(value ? 1 : 0), bits_(32) {}
    FormatArg(char value) : kind_(Kind::Signed), signed_(value), bits_(8) {}
    FormatArg(double value) : kind_(Kind::Floating), floating_(value) {}
    FormatArg(float value) : kind_(Kind::Floating), floating_(value) {}
    FormatArg(long double value) : kind_(Kind::Floating), floating_(static_cast<double>(value)) {}
    FormatArg(std::string_view value) : kind_(Kind::Text), text_(value) {}
    FormatArg(const std::string& value) : kind_(Kind::Text), text_(value) {}
    FormatArg(const char* value) : kind_(Kind::Text), text_(value ? std::string_view(value) : std::string_view()) {}
    FormatArg(const void* value) : kind_(Kind::Pointer), unsigned_(reinterpret_cast<std::uintptr_t>(value)) {}

    Kind kind() const { return kind_; }
    /// The value as a signed integer (floating values truncated, text read with atoi rules).
    int64_t AsSigned() const;
    /// The value as an unsigned integer of its own width ((unsigned)-1 of an int is 4294967295).
    uint64_t AsUnsigned() const;
    /// The value as a double (text read with atof rules).
    double AsDouble() const;
    /// The value as text (numbers in their plain decimal form).
    std::string AsText() const;

private:
    Kind kind_;
    int64_t signed_ = 0;
    uint64_t unsigned_ = 0;
    double floating_ = 0.0;
    std::string_view text_;
    int bits_ = 64;
};

/// printf-style formatting of `format` in the C locale: %d %i %u %x %X %o %c %s %f %F %e %E %g %G
/// %p and %%, with flags, width and precision (also "*"); length modifiers are accepted and
/// ignored. An unknown conversion is copied as it stands.
std::string FormatArgs(std::string_view format, std::span<const FormatArg> args);

/// Type-safe printf-style formatting; see FormatArgs.
template <typename... Args>
std::string Format(std::string_view format, const Args&... args) {
    if constexpr (sizeof...(Args) == 0) {
        return FormatArgs(format, {});
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        return FormatArgs(format, list);
    }
}

/// Positional formatting: "%1" .. "%9" are replaced by the arguments, a marker with no argument
/// by "?"; every other character, including other percent signs, is copied ("%1% of %2").
std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> args);

/// FormatMessage over a span of arguments.
std::string FormatMessageArgs(std::string_view format, std::span<const std::string_view> args);

}  // namespace svu
