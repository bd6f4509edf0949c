#include "platform/posix_process_starter.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/posix_file_system.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

TEST(PosixProcessStarter, RunsTheCommandThroughTheShellInTheFolder) {
    TempFolder temp;
    PosixProcessStarter processes;
    StartResult result = processes.start("pwd > where.txt; exit 3", temp.path());
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_GT(result.process_id, 0);
    EXPECT_EQ(processes.wait(result.process_id), 3);

    std::vector<std::string> lines;
    PosixFileSystem().read_lines(temp.file("where.txt"), lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(std::filesystem::canonical(lines[0]), std::filesystem::canonical(temp.path()));
}

TEST(PosixProcessStarter, TheChildHasNoTerminalStreamsAndASessionOfItsOwn) {
    TempFolder temp;
    PosixProcessStarter processes;
    StartResult result = processes.start(
        "readlink /proc/self/fd/0 > fds.txt; readlink /proc/self/fd/1 >> fds.txt; "
        "ps -o sid= -p $$ > sid.txt",
        temp.path());
    ASSERT_TRUE(result.started);
    processes.wait(result.process_id);
    std::vector<std::string> lines;
    PosixFileSystem().read_lines(temp.file("fds.txt"), lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "/dev/null");
    std::vector<std::string> sid;
    PosixFileSystem().read_lines(temp.file("sid.txt"), sid);
    ASSERT_EQ(sid.size(), 1u);
    EXPECT_EQ(std::stoi(sid[0]), result.process_id);
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
