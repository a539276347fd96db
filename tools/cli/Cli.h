#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace svu::cli {

/// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

/// What every command is handed: the program folder and the streams to write to.
struct Context {
    std::string programDir;  // always ends in a separator
    std::ostream& out;
    std::ostream& err;

    std::string SettingsPath() const { return programDir + "stratavue.ini"; }
    std::string StationFilePath() const { return programDir + "stratavue.wsf"; }
};

/// A usage error: the command prints it with its usage line and returns kExitUsage.
struct UsageError {
    std::string message;
};

/// Plain option parsing over the words after the command name.
class Args {
public:
    explicit Args(std::vector<std::string> words) : words_(std::move(words)) {}

    /// Removes "--name" and reports whether it was present.
    bool Flag(const std::string& name);
    /// Removes "--name VALUE" (or "--name=VALUE"); empty optional when absent.
    bool Option(const std::string& name, std::string& value);
    /// The same, throwing UsageError when absent.
    std::string Required(const std::string& name);
    /// Removes and returns the next positional word; UsageError when none is left.
    std::string Positional(const std::string& what);
    /// The next positional word, or `fallback` when none is left.
    std::string OptionalPositional(const std::string& fallback);
    /// UsageError when anything is left over (an unknown option or an extra word).
    void ExpectEnd() const;
    /// Parses an integer option value; UsageError when it is not one.
    static long ToInteger(const std::string& name, const std::string& text);
    /// The words not taken yet, in order.
    const std::vector<std::string>& Remaining() const { return words_; }

private:
    std::vector<std::string> words_;
};

struct Command {
    const char* name;
    const char* usage;    // the words after the command name
    const char* summary;  // one line for --help
    std::function<int(Context&, Args&)> run;
};

/// Every command of stratavue-cli, in the order --help lists them.
const std::vector<Command>& Commands();

/// The display commands live in a program of their own (they need the display layer, and so Qt):
/// `stratavue-display`, installed with the desktop program. A program that links them registers them
/// here; otherwise `stratavue-cli display ...` hands the command over to that program.
void SetDisplayRunner(std::function<int(Context&, Args&)> run);
/// The display commands' entry point, in the programs that link them.
int RunDisplay(Context& ctx, Args& args);

/// The whole program: parses the global options, dispatches, maps errors to exit codes.
int Main(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

}  // namespace svu::cli
