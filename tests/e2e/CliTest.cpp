#include <gtest/gtest.h>

#include "e2e/RuntimeCliSupport.h"

namespace {

using svu::test::CliResult;
using svu::test::RunCli;

TEST(CliMain, HelpListsCommandsAndExitsZero) {
    const CliResult r = RunCli({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Commands:"), std::string::npos);
    EXPECT_NE(r.out.find("--program-dir"), std::string::npos);
}

TEST(CliMain, UsageErrorsExitTwoWithOneLine) {
    EXPECT_EQ(RunCli({}).code, 2);
    const CliResult unknown = RunCli({"frobnicate"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.err.find("unknown command frobnicate"), std::string::npos);
    EXPECT_EQ(RunCli({"version", "--bogus"}).code, 2);
    EXPECT_EQ(RunCli({"--program-dir"}).code, 2);
}

TEST(CliMain, MissingProgramFolderIsAFailure) {
    const CliResult r = RunCli({"--program-dir", "/nonexistent/stratavue", "version"});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.empty());
}

}  // namespace
