// The --help and --version of every installed program.
#include <gtest/gtest.h>

#include "program_run.h"

namespace zelkon {
namespace {

class ProgramHelp : public ::testing::TestWithParam<std::string> {
  protected:
    ProgramRun run(const std::string& arguments) {
        return run_command(temp, "'" + std::string(ZELKON_BIN_DIR) + "/" + GetParam() + "' " +
                                     arguments + " < /dev/null");
    }
    TempFolder temp;
};

// --help-all, which Qt's own parsing would offer, is an unknown option.
TEST_P(ProgramHelp, HelpAndVersionNameTheProgramItsOptionsAndItsExitCodes) {
    ProgramRun help = run("--help");
    EXPECT_EQ(help.code, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: " + GetParam() + " [options]", 0), 0u) << help.out;
    EXPECT_TRUE(contains(help.out, "--version")) << help.out;
    EXPECT_TRUE(contains(help.out, "\nExit status:\n  0  ")) << help.out;
    EXPECT_TRUE(contains(help.out, "\n  2  a usage error")) << help.out;
    EXPECT_FALSE(contains(help.out, "help-all")) << help.out;
    EXPECT_EQ(run("-h").out, help.out);
    ProgramRun version = run("--version");
    EXPECT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, GetParam() + " " + ZELKON_VERSION + "\n");
    ProgramRun help_all = run("--help-all");
    EXPECT_EQ(help_all.code, 2);
    EXPECT_TRUE(contains(help_all.err, "help-all")) << help_all.err;
    if (!GetParam().starts_with("zelkon-")) {  // the reference programs need arguments
        ProgramRun usage = run("");
        EXPECT_EQ(usage.code, 2);
        EXPECT_TRUE(contains(usage.err, "usage: " + GetParam() + " ")) << usage.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramHelp,
                         ::testing::Values("zelkon-cluster-controller", "zelkon-listener",
                                           "zelkon-pipe-call", "zelkon", "zelkon_cluster_task",
                                           "zelkon_cluster_assemble", "zelkon_matrix_check"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             std::erase(name, '_');
                             return name;
                         });

}  // namespace
}  // namespace zelkon
