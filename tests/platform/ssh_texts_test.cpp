#include "platform/ssh_texts.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "temp_folder.h"

namespace zelkon {
namespace {

std::string text_of(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Waits (10 s at most) for a detached process to write a file.
std::string when_written(const std::string& path) {
    for (int i = 0; i < 1000 && text_of(path).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return text_of(path);
}

// The remote command as a login shell runs it: "sh -c" with the whole text.
CapturedRun run_as_login_shell(const std::string& remote_command) {
    return run_captured({"/bin/sh", "-c", remote_command});
}

TEST(RemoteStartCommand, RunsExactlyTheCommandLineDetachedInAFolderWithAnAwkwardName) {
    TempFolder temp;
    std::string folder = temp.file("it's a $HOME; $(touch escaped) `touch escaped`");
    std::filesystem::create_directory(folder);
    std::string command_line = "echo \"it's $((1+2))\" > out.txt; ps -o sid= -p $$ > sid.txt";
    CapturedRun run = run_as_login_shell(remote_start_command(command_line, folder));
    ASSERT_EQ(run.exit_status, 0) << run.errors;
    int process_id = 0;
    ASSERT_TRUE(read_process_id(run.output, process_id)) << run.output;

    EXPECT_EQ(when_written(folder + "/out.txt"), "it's 3\n");
    EXPECT_EQ(std::stoi(when_written(folder + "/sid.txt")), process_id);
    EXPECT_FALSE(std::filesystem::exists("escaped"));  // in the shell's folder, ours
}

TEST(RemoteStartCommand, AFolderThatCannotBeEnteredStartsNothing) {
    TempFolder temp;
    std::string marker = temp.file("ran");
    CapturedRun run =
        run_as_login_shell(remote_start_command("touch '" + marker + "'", temp.file("absent")));
    EXPECT_NE(run.exit_status, 0);
    int process_id = 0;
    EXPECT_FALSE(read_process_id(run.output, process_id));
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(SshTexts, AProcessIdIsTheLastNonEmptyLineAndNothingElse) {
    const std::pair<const char*, int> cases[] = {
        {"4242\n", 4242}, {"motd\n  17 \r\n\n", 17}, {"", 0}, {"12 13\n", 0},
        {"-5\n", 0},      {"99999999999\n", 0},
    };
    for (const auto& [output, expected] : cases) {
        int process_id = 0;
        EXPECT_EQ(read_process_id(output, process_id), expected != 0) << output;
        EXPECT_EQ(process_id, expected) << output;
    }
}

TEST(SshTexts, TheReasonIsSshsLastNonEmptyLineOrElseItsExitStatus) {
    CapturedRun refused{true, 255, "",
                        "Warning: added host\r\nssh: connect: Connection refused\n\n"};
    EXPECT_EQ(ssh_failure_reason(refused), "ssh: connect: Connection refused");
    CapturedRun silent{true, 3, "", " \n"};
    EXPECT_EQ(ssh_failure_reason(silent), "ssh ended with exit status 3");
}

}  // namespace
}  // namespace zelkon
