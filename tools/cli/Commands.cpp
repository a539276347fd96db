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

int RunStations(Context& ctx, Args& args);

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"version", "", "Prints the program's version.", Version},
        {"stations", "show [FILE] [--json] | resave IN OUT | export-json [FILE] OUT.json | import-json IN.json OUT.wsf",
         "Shows, rewrites or converts a station definition file (FILE defaults to stratavue.wsf).", RunStations},
    };
    return commands;
}

}  // namespace svu::cli
