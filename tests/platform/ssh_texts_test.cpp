// The words ssh and srun are given, and what their messages say.
#include "platform/ssh_texts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/dial_failure.h"
#include "platform/shell_words.h"
#include "platform/slurm_step_texts.h"
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

// Any text comes back as one word; a plain path stays as it is, so logged commands read well.
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

TEST(SlurmStepTexts, AStepIsOneTaskOnItsNodeWithTheCommandsThreadsAsCpus) {
    std::vector<std::string> command = {"task", "/w/Job 7/a.zcd", "OMP_NUM_THREADS=4"};
    std::vector<std::string> expected = {
        "srun",    "--verbose",      "--nodes=1",         "--ntasks=1",         "--cpus-per-task=4",
        "--exact", "--nodelist=n07", "--chdir=/w/Job 7/", "--output=/dev/null", "--error=/dev/null",
        "--",      "task",           "/w/Job 7/a.zcd",    "OMP_NUM_THREADS=4"};
    EXPECT_EQ(srun_step_arguments("n07", cpus_of_command(command), "/w/Job 7/", command), expected);
    for (const char* threads : {"0", "x", "99999"}) {
        EXPECT_EQ(cpus_of_command({"t", std::string("OMP_NUM_THREADS=") + threads}), 1) << threads;
    }
    EXPECT_EQ(cpus_of_command({"t", "OMP_NUM_THREADS=4096"}), 4096);
    EXPECT_EQ(cpus_of_command({"true"}), 1);
}

TEST(SlurmStepTexts, SrunsMessagesGiveTheStepOrTheReasonItWasRefused) {
    EXPECT_EQ(launched_step_id("srun: jobid 2: nodes(1):`vm', cpu counts: 8(x1)\n"
                               "srun: launching StepId=2.14 on host vm, 1 tasks: 0\n"),
              "2.14");
    EXPECT_EQ(launched_step_id("srun: launching StepId=2.1"), "");  // not yet a whole line
    EXPECT_EQ(launched_step_id("srun: end of defined options\n"), "");
    EXPECT_EQ(srun_failure_reason("srun: nodes : 1\nsrun: error: Unable to create step for job "
                                  "1: Requested node configuration is not available\n"),
              "Unable to create step for job 1: Requested node configuration is not available");
    EXPECT_EQ(srun_failure_reason("srun: verbose : 1\nsrun: Force Terminated StepId=3.2\n"),
              "srun: Force Terminated StepId=3.2");
}

}  // namespace
}  // namespace zelkon
