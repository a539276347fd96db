#include "cli/Cli.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <new>
#include <ostream>

namespace svu::cli {

bool Args::Flag(const std::string& name) {
    auto it = std::find(words_.begin(), words_.end(), name);
    if (it == words_.end()) {
        return false;
    }
    words_.erase(it);
    return true;
}

bool Args::Option(const std::string& name, std::string& value) {
    for (auto it = words_.begin(); it != words_.end(); ++it) {
        if (*it == name) {
            if (it + 1 == words_.end()) {
                throw UsageError{name + " needs a value"};
            }
            value = *(it + 1);
            words_.erase(it, it + 2);
            return true;
        }
        if (it->rfind(name + "=", 0) == 0) {
            value = it->substr(name.size() + 1);
            words_.erase(it);
            return true;
        }
    }
    return false;
}

std::string Args::Required(const std::string& name) {
    std::string value;
    if (!Option(name, value)) {
        throw UsageError{name + " is required"};
    }
    return value;
}

std::string Args::Positional(const std::string& what) {
    for (auto it = words_.begin(); it != words_.end(); ++it) {
        if (it->size() < 2 || it->compare(0, 2, "--") != 0) {
            std::string word = *it;
            words_.erase(it);
            return word;
        }
    }
    throw UsageError{what + " is missing"};
}

std::string Args::OptionalPositional(const std::string& fallback) {
    for (auto it = words_.begin(); it != words_.end(); ++it) {
        if (it->size() < 2 || it->compare(0, 2, "--") != 0) {
            std::string word = *it;
            words_.erase(it);
            return word;
        }
    }
    return fallback;
}

void Args::ExpectEnd() const {
    if (!words_.empty()) {
        const std::string& w = words_.front();
        throw UsageError{(w.rfind("--", 0) == 0 ? "unknown option " : "unexpected argument ") + w};
    }
}

long Args::ToInteger(const std::string& name, const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX) {
        throw UsageError{name + " takes a whole number, not \"" + text + "\""};
    }
    return v;
}

namespace {

void PrintHelp(std::ostream& out) {
    out << "Usage: stratavue-cli [--program-dir DIR] COMMAND [ARGS...]\n\n"
           "The Stratavue service and maintenance tool. DIR (default: the current folder) holds\n"
           "stratavue.ini and stratavue.wsf.\n\nCommands:\n";
    for (const Command& c : Commands()) {
        out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n";
    }
    out << "\nExit codes: 0 success, 1 failure, 2 usage error.\n"
           "stratavue-cli COMMAND --help shows the usage of one command.\n";
}

std::string ProgramDirFrom(const std::string& requested) {
    std::string dir = requested.empty() ? std::filesystem::current_path().string() : requested;
    if (dir.empty()) {
        dir = "/";
    }
    if (dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

}  // namespace

int Main(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    std::vector<std::string> words(argv.begin() + (argv.empty() ? 0 : 1), argv.end());
    std::string programDir;
    while (!words.empty() && words.front().rfind("--", 0) == 0) {
        const std::string opt = words.front();
        if (opt == "--help" || opt == "-h") {
            PrintHelp(out);
            return kExitOk;
        }
        if (opt == "--program-dir" && words.size() >= 2) {
            programDir = words[1];
            words.erase(words.begin(), words.begin() + 2);
        } else if (opt.rfind("--program-dir=", 0) == 0) {
            programDir = opt.substr(14);
            words.erase(words.begin());
        } else {
            err << "stratavue-cli: unknown option " << opt << " (see --help)\n";
            return kExitUsage;
        }
    }
    if (words.empty()) {
        PrintHelp(err);
        return kExitUsage;
    }
    if (words.front() == "help") {
        PrintHelp(out);
        return kExitOk;
    }
    const auto& commands = Commands();
    const auto it = std::find_if(commands.begin(), commands.end(),
                                 [&](const Command& c) { return words.front() == c.name; });
    if (it == commands.end()) {
        err << "stratavue-cli: unknown command " << words.front() << " (see --help)\n";
        return kExitUsage;
    }
    std::vector<std::string> rest(words.begin() + 1, words.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        out << "Usage: stratavue-cli " << it->name << " " << it->usage << "\n" << it->summary << "\n";
        return kExitOk;
    }
    if (!programDir.empty() && !std::filesystem::is_directory(programDir)) {
        err << "stratavue-cli: program folder " << programDir << " does not exist\n";
        return kExitFailure;
    }
    Context ctx{ProgramDirFrom(programDir), out, err};
    Args args(std::move(rest));
    try {
        return it->run(ctx, args);
    } catch (const UsageError& e) {
        err << "stratavue-cli " << it->name << ": " << e.message << "\nUsage: stratavue-cli " << it->name << " "
            << it->usage << "\n";
        return kExitUsage;
        } catch (const std::bad_alloc&) {
        err << "stratavue-cli " << it->name << ": out of memory\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        // No failure may abort the program: whatever a command did not expect ends it with a message.
        err << "stratavue-cli " << it->name << ": " << e.what() << "\n";
        return kExitFailure;
    } catch (...) {
        err << "stratavue-cli " << it->name << ": unexpected failure\n";
        return kExitFailure;
    }
}

}  // namespace svu::cli
