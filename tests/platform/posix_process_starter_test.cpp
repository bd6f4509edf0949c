#include "platform/posix_process_starter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix_file_system.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

// The first line of a file the command wrote.
std::string first_line(const std::string& path) {
    std::vector<std::string> lines;
    PosixFileSystem().read_lines(path, lines);
    return lines.empty() ? "" : lines[0];
}

// Through the shell, in the folder, with no terminal and a session of its own.
TEST(PosixProcessStarter, RunsTheCommandThroughTheShellInTheFolderDetached) {
    TempFolder temp;
    PosixProcessStarter processes;
    StartResult result = processes.start(
        "pwd > where.txt; readlink /proc/self/fd/0 > input.txt; ps -o sid= -p $$ > sid.txt; exit 3",
        temp.path());
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_EQ(processes.wait(result.process_id), 3);
    EXPECT_EQ(std::filesystem::canonical(first_line(temp.file("where.txt"))),
              std::filesystem::canonical(temp.path()));
    EXPECT_EQ(first_line(temp.file("input.txt")), "/dev/null");
    EXPECT_EQ(std::stoi(first_line(temp.file("sid.txt"))), result.process_id);
}

TEST(PosixProcessStarter, AFolderThatDoesNotExistIsAFailedStart) {
    PosixProcessStarter processes;
    StartResult result = processes.start("true", "/no/such/folder");
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(result.error.empty());
}

TEST(PosixProcessStarter, AnEndedProcessIsNotRunningAndKeepsItsExitCode) {
    PosixProcessStarter processes;
    StartResult quick = processes.start("exit 7", "");
    StartResult slow = processes.start("sleep 5", "");
    ASSERT_TRUE(quick.started && slow.started);
    while (processes.is_running(quick.process_id)) {
    }
    EXPECT_TRUE(processes.is_running(slow.process_id));
    EXPECT_EQ(processes.wait(quick.process_id), 7);
    EXPECT_EQ(processes.wait(quick.process_id), -1) << "already waited for";
    processes.start("kill " + std::to_string(slow.process_id), "");
    EXPECT_EQ(processes.wait(slow.process_id), 128 + 15);
}

}  // namespace
}  // namespace zelkon
