#include <ostream>

#include "Version.h"
#include "cli/Cli.h"

namespace svu::cli {

namespace {

int Version(Context& ctx, Args& args) {
    args.ExpectEnd();
    ctx.out << kProductName << " " << kProductVersion << "\n";
    return kExitOk;
}

}  // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"version", "", "Prints the program's version.", Version},
    };
    return commands;
}

}  // namespace svu::cli
