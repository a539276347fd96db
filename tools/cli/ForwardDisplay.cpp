// The display commands need the display layer, and so Qt, which a headless station machine need not
// have. stratavue-cli itself stays free of it and hands "display ..." to stratavue-display, found
// beside it in a build folder or in the package's private program folder once installed.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <ostream>

#include "cli/Cli.h"

#ifndef SVU_DISPLAY_HELPER_DIR
#define SVU_DISPLAY_HELPER_DIR "../libexec/stratavue"
#endif

namespace svu::cli {

namespace {

std::function<int(Context&, Args&)>& Runner() {
    static std::function<int(Context&, Args&)> runner;
    return runner;
}

std::filesystem::path FindDisplayProgram() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return {};
    }
    const std::filesystem::path dir = self.parent_path();
    for (const std::filesystem::path& candidate :
         {dir / "stratavue-display", dir / SVU_DISPLAY_HELPER_DIR / "stratavue-display"}) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

}  // namespace

void SetDisplayRunner(std::function<int(Context&, Args&)> run) { Runner() = std::move(run); }

int RunDisplayCommand(Context& ctx, Args& args) {
    if (Runner()) {
        return Runner()(ctx, args);
    }
    const std::filesystem::path program = FindDisplayProgram();
    if (program.empty()) {
        ctx.err << "stratavue-cli display: display files are handled by stratavue-display, which comes with the "
                   "desktop program (package stratavue); it is not installed here\n";
        return kExitFailure;
    }
    std::vector<std::string> words{program.string(), "--program-dir", ctx.programDir, "display"};
    words.insert(words.end(), args.Remaining().begin(), args.Remaining().end());
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    ctx.out.flush();
    ctx.err.flush();
    std::cout.flush();
    std::cerr.flush();
    ::execv(argv[0], argv.data());
    ctx.err << "stratavue-cli display: cannot start " << program.string() << ": " << std::strerror(errno) << "\n";
    return kExitFailure;
}

}  // namespace svu::cli
