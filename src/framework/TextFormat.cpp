#include "framework/TextFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "framework/TextUtil.h"

namespace svu {

namespace {

// Widths and precisions beyond this are cut: a stray "%999999999d" in a text must not exhaust memory.
constexpr int kMaxFieldWidth = 1024;

struct Directive {
    std::string flags;
    int width = -1;
    int precision = -1;
    char conversion = 0;
};

bool IsFlag(char c) {
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0';
}

bool IsLengthModifier(char c) {
    return c == 'h' || c == 'l' || c == 'L' || c == 'q' || c == 'j' || c == 'z' || c == 't';
}

// Reads a run of digits, saturating at kMaxFieldWidth.
int ReadNumber(std::string_view format, std::size_t& i) {
    int value = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        value = std::min(kMaxFieldWidth, value * 10 + (format[i] - '0'));
        ++i;
    }
    return value;
}

class ArgCursor {
public:
    explicit ArgCursor(std::span<const FormatArg> args) : args_(args) {}
    const FormatArg* Next() { return next_ < args_.size() ? &args_[next_++] : nullptr; }

private:
    std::span<const FormatArg> args_;
    std::size_t next_ = 0;
};

std::string BuildCFormat(const Directive& directive, const char* length, char conversion) {
    std::string f = "%" + directive.flags;
    if (directive.width >= 0) {
        f += std::to_string(directive.width);
    }
    if (directive.precision >= 0) {
        f += "." + std::to_string(directive.precision);
    }
    f += length;
    f += conversion;
    return f;
}

template <typename T>
void AppendC(std::string& out, const std::string& cFormat, T value) {
    char buffer[kMaxFieldWidth * 2 + 400];
    int n;
    {
        ScopedCLocale cLocale;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        n = std::snprintf(buffer, sizeof buffer, cFormat.c_str(), value);
#pragma GCC diagnostic pop
    }
    if (n > 0) {
        out.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
    }
}

void AppendPadded(std::string& out, std::string_view text, const Directive& directive) {
    if (directive.precision >= 0 && text.size() > static_cast<std::size_t>(directive.precision)) {
        text = text.substr(0, static_cast<std::size_t>(directive.precision));
    }
    const std::size_t width = directive.width > 0 ? static_cast<std::size_t>(directive.width) : 0;
    const std::size_t pad = width > text.size() ? width - text.size() : 0;
    const bool left = directive.flags.find('-') != std::string::npos;
    if (!left) {
        out.append(pad, ' ');
    }
    out.append(text);
    if (left) {
        out.append(pad, ' ');
    }
}

void AppendConversion(std::string& out, const Directive& directive, const FormatArg* arg) {
    const FormatArg zero(0);
    const FormatArg& a = arg ? *arg : zero;
    switch (directive.conversion) {
        case 'd':
        case 'i':
            AppendC(out, BuildCFormat(directive, "ll", 'd'), static_cast<long long>(a.AsSigned()));
            break;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            AppendC(out, BuildCFormat(directive, "ll", directive.conversion),
                    static_cast<unsigned long long>(a.AsUnsigned()));
            break;
        case 'p':
            AppendC(out, BuildCFormat(Directive{"#", directive.width, -1, 'x'}, "ll", 'x'),
                    static_cast<unsigned long long>(a.AsUnsigned()));
            break;
        case 'c': {
            char c;
            if (a.kind() == FormatArg::Kind::Text) {
                const std::string text = a.AsText();
                c = text.empty() ? '\0' : text[0];
            } else {
                c = static_cast<char>(a.AsSigned());
            }
            Directive charDirective = directive;
            charDirective.precision = -1;
            AppendPadded(out, std::string_view(&c, 1), charDirective);
            break;
        }
        case 's':
            AppendPadded(out, arg ? a.AsText() : std::string(), directive);
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            AppendC(out, BuildCFormat(directive, "", directive.conversion), a.AsDouble());
            break;
        default:
            break;
    }
}

}  // namespace

int64_t FormatArg::AsSigned() const {
    switch (kind_) {
        case Kind::Signed:
            return signed_;
        case Kind::Unsigned:
        case Kind::Pointer:
            return static_cast<int64_t>(unsigned_);
        case Kind::Floating:
            if (std::isnan(floating_)) {
                return 0;
            }
            if (floating_ >= 9.2e18) {
                return INT64_MAX;
            }
            if (floating_ <= -9.2e18) {
                return INT64_MIN;
            }
            return static_cast<int64_t>(floating_);
        case Kind::Text:
            return AtoL(text_);
    }
    return 0;
}

uint64_t FormatArg::AsUnsigned() const {
    if (kind_ == Kind::Unsigned || kind_ == Kind::Pointer) {
        return unsigned_;
    }
    const uint64_t value = static_cast<uint64_t>(AsSigned());
    const int bits = kind_ == Kind::Signed ? bits_ : 64;
    return bits >= 64 ? value : value & ((uint64_t{1} << bits) - 1);
}

double FormatArg::AsDouble() const {
    switch (kind_) {
        case Kind::Signed:
            return static_cast<double>(signed_);
        case Kind::Unsigned:
        case Kind::Pointer:
            return static_cast<double>(unsigned_);
        case Kind::Floating:
            return floating_;
        case Kind::Text:
            return AtoF(text_);
    }
    return 0.0;
}

std::string FormatArg::AsText() const {
    char buffer[64];
    std::to_chars_result r{};
    switch (kind_) {
        case Kind::Text:
            return std::string(text_);
        case Kind::Signed:
            r = std::to_chars(buffer, buffer + sizeof buffer, signed_);
            break;
        case Kind::Unsigned:
        case Kind::Pointer:
            r = std::to_chars(buffer, buffer + sizeof buffer, unsigned_);
            break;
        case Kind::Floating:
            r = std::to_chars(buffer, buffer + sizeof buffer, floating_);
            break;
    }
    return std::string(buffer, r.ptr);
}

std::string FormatArgs(std::string_view format, std::span<const FormatArg> args) {
    std::string out;
    out.reserve(format.size() + 16);
    ArgCursor cursor(args);
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        const std::size_t start = i++;
        if (i < format.size() && format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        Directive directive;
        while (i < format.size() && IsFlag(format[i])) {
            directive.flags += format[i++];
        }
        if (i < format.size() && format[i] == '*') {
            ++i;
            const FormatArg* w = cursor.Next();
            const int64_t width = w ? w->AsSigned() : 0;
            if (width < 0) {
                directive.flags += '-';
            }
            directive.width = static_cast<int>(std::min<int64_t>(kMaxFieldWidth, width < 0 ? -width : width));
        } else if (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            directive.width = ReadNumber(format, i);
        }
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (i < format.size() && format[i] == '*') {
                ++i;
                const FormatArg* p = cursor.Next();
                const int64_t precision = p ? p->AsSigned() : 0;
                directive.precision =
                    precision < 0 ? -1 : static_cast<int>(std::min<int64_t>(kMaxFieldWidth, precision));
            } else {
                directive.precision = ReadNumber(format, i);
            }
        }
        while (i < format.size() && IsLengthModifier(format[i])) {
            ++i;
        }
        if (i >= format.size()) {
            out.append(format.substr(start));
            break;
        }
        directive.conversion = format[i++];
        if (directive.conversion == 'n') {
            cursor.Next();  // writes nothing here; the argument is simply used up
            continue;
        }
        if (std::string_view("diuoxXpcsfFeEgGaA").find(directive.conversion) == std::string_view::npos) {
            out.append(format.substr(start, i - start));
            continue;
        }
        AppendConversion(out, directive, cursor.Next());
    }
    return out;
}

std::string FormatMessageArgs(std::string_view format, std::span<const std::string_view> args) {
    std::string out;
    out.reserve(format.size() + 32);
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] >= '1' && format[i + 1] <= '9') {
            const std::size_t index = static_cast<std::size_t>(format[i + 1] - '1');
            if (index < args.size()) {
                out.append(args[index]);
            } else {
                out += '?';
            }
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> args) {
    return FormatMessageArgs(format, std::span<const std::string_view>(args.begin(), args.size()));
}

}  // namespace svu
