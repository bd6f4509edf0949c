#include "platform/posix_process_starter.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

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

// Through the shell, in the folder, with no terminal and a session of its own;
// a folder that does not exist is a failed start.
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
    EXPECT_FALSE(processes.start("true", "/no/such/folder").started);
}

TEST(PosixProcessStarter, AnEndedProcessIsNotRunningAndKeepsItsExitCodeForOneWait) {
    PosixProcessStarter processes;
    StartResult quick = processes.start("exit 7", "");
    StartResult slow = processes.start("sleep 5", "");
    while (processes.is_running(quick.process_id)) {
    }
    EXPECT_TRUE(processes.is_running(slow.process_id));
    EXPECT_EQ(processes.wait(quick.process_id), 7);
    EXPECT_EQ(processes.wait(quick.process_id), -1);
    processes.start("kill " + std::to_string(slow.process_id), "");
    EXPECT_EQ(processes.wait(slow.process_id), 128 + 15);
}

// A process that has ended, though not yet collected by its new parent, is gone.
bool alive(int process_id) {
    std::ifstream stat("/proc/" + std::to_string(process_id) + "/stat");
    std::string pid_field, name, state;
    return stat >> pid_field >> name >> state && state != "Z";
}

// A stop signal held back while waiting ends the whole group, also a process
// of it that ignores SIGTERM, before the wait returns.
TEST(PosixProcessStarter, AStopSignalDuringTheWaitEndsTheWholeGroup) {
    TempFolder temp;
    PosixProcessStarter processes;
    sigset_t stops, before;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    StartResult result = processes.start(
        "(trap '' TERM; exec sleep 30) & echo $! > stubborn.pid; wait", temp.path());
    while (first_line(temp.file("stubborn.pid")).empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    int stubborn = std::stoi(first_line(temp.file("stubborn.pid")));
    pthread_kill(pthread_self(), SIGTERM);  // for this thread alone: no other may take it
    EXPECT_EQ(processes.wait(result.process_id), kWaitStoppedBySignal);
    bool gone = false;
    for (int look = 0; look < 100 && !gone; ++look) {  // its new parent collects it
        gone = !alive(stubborn);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone) << "a process of the group outlived the wait";
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace
}  // namespace zelkon
