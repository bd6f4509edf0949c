// Starting programs without a shell, and capturing what they write.
#include "platform/spawn.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <fstream>

#include "platform/captured_run.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

void write_file(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
}

// The path is searched in the parent, as exec would search it; a file that
// is not executable is passed over.
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

// Without a shell; standard input is empty. A program that cannot be run is
// pinned by the ssh management service's test.
TEST(CapturedRun, KeepsBothStreamsAndTheExitStatusApartAndTheArgumentsAsTheyAre) {
    CapturedRun run = run_captured(
        {"sh", "-c", "printf '%s|' \"$@\"; echo err >&2; wc -c; exit 4", "x", "a b", "$HOME", ";"});
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.output, "a b|$HOME|;|0\n");
    EXPECT_EQ(run.errors, "err\n");
    EXPECT_EQ(run.exit_status, 4);
}

}  // namespace
}  // namespace zelkon
