#include "platform/spawn.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <fstream>

#include "temp_folder.h"

namespace zelkon {
namespace {

void write_file(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
}

// The path is searched in the parent, as exec would search it.
TEST(Spawn, ResolvesTheProgramOnThePathBeforeStarting) {
    TempFolder first;
    TempFolder second;
    write_file(first.file("tool"), "", 0644);  // not executable: passed over
    write_file(second.file("tool"), "", 0755);
    write_file(first.file("locked"), "", 0644);
    std::string path = first.path() + ":" + second.path();
    struct Case {
        std::string name;
        int error;
        std::string file;
    };
    for (const Case& c : {Case{"tool", 0, second.file("tool")}, Case{"locked", EACCES, ""},
                          Case{"absent", ENOENT, ""}, Case{"./x/absent", 0, "./x/absent"}}) {
        std::string file;
        EXPECT_EQ(resolve_program(c.name, path.c_str(), file), c.error) << c.name;
        EXPECT_EQ(file, c.file) << c.name;
    }
}

TEST(Spawn, AProgramNotOnThePathIsNotStarted) {
    SpawnRequest request;
    request.arguments = {"zelkon-no-such-program"};
    SpawnResult result = spawn_process(request);
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

}  // namespace
}  // namespace zelkon
