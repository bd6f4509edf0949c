// The words ssh is given, and what its messages say.
#include "platform/ssh_texts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/dial_failure.h"
#include "platform/shell_words.h"
#include "platform/ssh_options.h"

namespace zelkon {
namespace {

TEST(ShellWords, SplitsAsAShellWouldWithoutExpandingAnything) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"  ssh \t -F  cfg\n", {"ssh", "-F", "cfg"}},
        {"'it'\\''s' x", {"it's", "x"}},
        {"\"a \\\"b\\\" \\$HOME \\x\"", {"a \"b\" $HOME \\x"}},
        {"'$HOME' $HOME `id` ;", {"$HOME", "$HOME", "`id`", ";"}},
        {"a '' \"\" b", {"a", "", "", "b"}},
        {"a\\\nb", {"ab"}},
        {"open 'quote runs on", {"open", "quote runs on"}},
        {"trailing\\", {"trailing\\"}},
    };
    for (const auto& [text, words] : cases) {
        EXPECT_EQ(split_shell_words(text), words) << "text: " << text;
    }
}

// Quoting is the inverse of splitting: any text comes back as one word, and
// a plain path stays as it is, so that logged command lines read well.
TEST(ShellWords, AQuotedTextSplitsBackIntoItselfAlone) {
    for (const char* text : {"My Work's $HOME \"q\"", "a\\b `x` $(y) ;*", "", "tab\there"}) {
        EXPECT_EQ(split_shell_words(shell_word(text)), std::vector<std::string>{text}) << text;
        EXPECT_EQ(split_shell_words(shell_quote(text)), std::vector<std::string>{text}) << text;
    }
    EXPECT_EQ(shell_word("/data/Work/Job_7/x.zcd"), "/data/Work/Job_7/x.zcd");
    EXPECT_EQ(shell_word("it's"), "'it'\\''s'");
    EXPECT_FALSE(passes_as_shell_word("a\nb"));
    EXPECT_TRUE(passes_as_shell_word("My Work's $HOME"));
}

TEST(SshOptions, TheUsersWordsComeFirstAndTheHostAndCommandLastAfterADoubleDash) {
    setenv("ZELKON_SSH_COMMAND", "/opt/ssh -F '/my dir/cfg'", 1);
    std::vector<std::string> arguments =
        SshOptions::from_environment().run_on("-oProxyCommand=x", "echo 'a b'; true");
    ASSERT_GE(arguments.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(arguments.begin(), arguments.begin() + 3),
              (std::vector<std::string>{"/opt/ssh", "-F", "/my dir/cfg"}));
    EXPECT_EQ(std::vector<std::string>(arguments.end() - 3, arguments.end()),
              (std::vector<std::string>{"--", "-oProxyCommand=x", "echo 'a b'; true"}));
    EXPECT_NE(std::find(arguments.begin(), arguments.end(), "BatchMode=yes"), arguments.end());
    setenv("ZELKON_SSH_COMMAND", "", 1);
    EXPECT_EQ(SshOptions::from_environment().program, std::vector<std::string>{"ssh"});
    unsetenv("ZELKON_SSH_COMMAND");
}

TEST(SshTexts, TheReasonIsSshsLastNonEmptyLineOrElseItsExitStatus) {
    CapturedRun refused{true, 255, "",
                        "Warning: added host\r\nssh: connect: Connection refused\n\n"};
    EXPECT_EQ(ssh_failure_reason(refused), "ssh: connect: Connection refused");
    CapturedRun silent{true, 3, "", " \n"};
    EXPECT_EQ(ssh_failure_reason(silent), "ssh ended with exit status 3");
}

// A machine that answered may still open its pipes one by one.
TEST(DialFailure, OnlyAMachineThatCannotBeReachedOrRefusesUsFailsAsAWhole) {
    const std::pair<const char*, bool> cases[] = {
        {"ssh: connect to host nodeb port 22: Connection refused", true},
        {"Connection to 10.255.255.1 port 22 timed out", true},
        {"Host key verification failed.", true},
        {"kex_exchange_identification: read: Connection reset by peer", false},
        {"", false},
    };
    for (const auto& [reason, machine_wide] : cases) {
        EXPECT_EQ(holds_for_whole_machine(reason), machine_wide) << reason;
    }
}

}  // namespace
}  // namespace zelkon
