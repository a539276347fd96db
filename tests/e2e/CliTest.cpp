#include <gtest/gtest.h>

#include <sstream>

#include "cli/Cli.h"

namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun Cli(std::vector<std::string> words) {
    words.insert(words.begin(), "stratavue-cli");
    std::ostringstream out;
    std::ostringstream err;
    const int code = svu::cli::Main(words, out, err);
    return {code, out.str(), err.str()};
}

TEST(CliMain, HelpListsCommandsAndExitsZero) {
    const CliRun r = Cli({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Commands:"), std::string::npos);
    EXPECT_NE(r.out.find("--program-dir"), std::string::npos);
}

TEST(CliMain, UsageErrorsExitTwoWithOneLine) {
    EXPECT_EQ(Cli({}).code, 2);
    const CliRun unknown = Cli({"frobnicate"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.err.find("unknown command frobnicate"), std::string::npos);
    EXPECT_EQ(Cli({"version", "--bogus"}).code, 2);
    EXPECT_EQ(Cli({"--program-dir"}).code, 2);
}

TEST(CliMain, MissingProgramFolderIsAFailure) {
    const CliRun r = Cli({"--program-dir", "/nonexistent/stratavue", "version"});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.empty());
}

}  // namespace
