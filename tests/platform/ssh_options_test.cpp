#include "platform/ssh_options.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zelkon {
namespace {

bool has(const std::vector<std::string>& words, const std::string& word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

TEST(SshOptions, TheUsersWordsComeFirstAndTheHostAndCommandLastAfterADoubleDash) {
    SshOptions options = SshOptions::from_command("/opt/ssh -F '/my dir/cfg'");
    std::vector<std::string> arguments = options.run_on("-oProxyCommand=x", "echo 'a b'; true");
    ASSERT_GE(arguments.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(arguments.begin(), arguments.begin() + 3),
              (std::vector<std::string>{"/opt/ssh", "-F", "/my dir/cfg"}));
    EXPECT_EQ(std::vector<std::string>(arguments.end() - 3, arguments.end()),
              (std::vector<std::string>{"--", "-oProxyCommand=x", "echo 'a b'; true"}));
    EXPECT_TRUE(has(arguments, "BatchMode=yes"));
    EXPECT_TRUE(has(arguments, "-T"));
}

TEST(SshOptions, ZelkonSshCommandNamesTheProgramAndAnEmptyOneMeansSsh) {
    setenv("ZELKON_SSH_COMMAND", "ssh -F \"a b\"", 1);
    EXPECT_EQ(SshOptions::from_environment().program,
              (std::vector<std::string>{"ssh", "-F", "a b"}));
    setenv("ZELKON_SSH_COMMAND", "", 1);
    EXPECT_EQ(SshOptions::from_environment().program, std::vector<std::string>{"ssh"});
    unsetenv("ZELKON_SSH_COMMAND");
}

}  // namespace
}  // namespace zelkon
