// Starting programs: without a shell, capturing what they write, or through it, detached.
#include "platform/spawn.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/captured_run.h"
#include "platform/posix_file_system.h"
#include "platform/posix_process_starter.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

void write_file(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
}

// The path is searched in the parent, as exec would; a file not executable is passed over.
TEST(Spawn, ResolvesTheProgramOnThePathBeforeStarting) {
    TempFolder first, second;
    write_file(first.file("tool"), "", 0644);
    write_file(second.file("tool"), "", 0755);
    write_file(first.file("locked"), "", 0644);
    std::string path = first.path() + ":" + second.path();
    const std::tuple<std::string, int, std::string> cases[] = {{"tool", 0, second.file("tool")},
                                                               {"locked", EACCES, ""},
                                                               {"absent", ENOENT, ""},
                                                               {"./x/absent", 0, "./x/absent"}};
    for (const auto& [name, error, expected] : cases) {
        std::string file;
        EXPECT_EQ(resolve_program(name, path.c_str(), file), error) << name;
        EXPECT_EQ(file, expected) << name;
    }
    SpawnRequest absent;
    absent.arguments = {"zelkon-no-such-program"};
    SpawnResult result = spawn_process(absent);
    EXPECT_EQ(result.process_id, 0);
    EXPECT_EQ(result.error, ENOENT);
}

// As execvp does, a file without "#!" runs in the shell.
TEST(Spawn, AnExecutableWithoutAnInterpreterLineRunsInTheShell) {
    TempFolder temp;
    write_file(temp.file("script"), "exit $(($1 + 1))\n", 0755);
    SpawnRequest request;
    request.arguments = {temp.file("script"), "4"};
    SpawnResult result = spawn_process(request);
    ASSERT_GT(result.process_id, 0) << result.error;
    int status = 0;
    waitpid(result.process_id, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 5);
}

// Standard input is empty; a program that cannot run is pinned by the ssh service's test.
TEST(CapturedRun, KeepsBothStreamsAndTheExitStatusApartAndTheArgumentsAsTheyAre) {
    CapturedRun run = run_captured(
        {"sh", "-c", "printf '%s|' \"$@\"; echo err >&2; wc -c; exit 4", "x", "a b", "$HOME", ";"});
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.output, "a b|$HOME|;|0\n");
    EXPECT_EQ(run.errors, "err\n");
    EXPECT_EQ(run.exit_status, 4);
}

// The first line of a file the command wrote.
std::string first_line(const std::string& path) {
    std::vector<std::string> lines;
    PosixFileSystem().read_lines(path, lines);
    return lines.empty() ? "" : lines[0];
}

// In the folder, with no terminal and a session of its own; no folder, no start.
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

// A stop signal held back while waiting ends the whole group, even a process ignoring SIGTERM.
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
