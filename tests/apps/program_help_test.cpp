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

TEST_P(ProgramHelp, HelpNamesTheProgramItsOptionsAndItsExitCodes) {
    ProgramRun help = run("--help");
    EXPECT_EQ(help.code, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: " + GetParam() + " [options]", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("\nExit status:\n  0  "), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("\n  2  a usage error"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("help-all"), std::string::npos) << help.out;
    EXPECT_EQ(run("-h").out, help.out);
}

TEST_P(ProgramHelp, VersionIsOneLineWithTheProgramsName) {
    ProgramRun version = run("--version");
    EXPECT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, GetParam() + " " + ZELKON_VERSION + "\n");
}

// Qt would offer it, but only with Qt parsing the command line itself.
TEST_P(ProgramHelp, HelpAllIsAnUnknownOption) {
    ProgramRun help_all = run("--help-all");
    EXPECT_EQ(help_all.code, 2);
    EXPECT_NE(help_all.err.find("help-all"), std::string::npos) << help_all.err;
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
