#include "engine/task_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../platform/temp_folder.h"
#include "platform/shell_words.h"

namespace zelkon {
namespace {

std::string text_of(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct WrapperCase {
    const char* what;
    const char* program;  // the task program's script; none: not installed
    const char* err;      // the .err file afterwards; none: no file
};

// The task command runs through /bin/sh in a job folder whose name the shell
// would otherwise split and expand; whatever the program does, a failure
// leaves an .err file, in the program's own words when it wrote one.
TEST(TaskCommand, ThePathsReachTheProgramWholeAndASilentFailureLeavesAnErrFile) {
    const WrapperCase cases[] = {
        {"runs", "printf '%s\\n' \"$@\" > \"$(dirname \"$1\")/args\"", nullptr},
        {"not_installed", nullptr, "exited with status 127: zelkon_cluster_task: not found\n"},
        {"usage_error", "echo 'usage: zelkon_cluster_task FILE' >&2; echo more >&2; exit 2",
         "exited with status 2: usage: zelkon_cluster_task FILE\n"},
        {"silent_crash", "kill -KILL $$", "exited with status 137\n"},
        {"own_reason", "echo 'No space' > \"${1%/*}/Zelkon_job_000007_task_000003.err\"; exit 1",
         "No space\n"},
    };
    for (const WrapperCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        std::string job = temp.path() + "/My Work's $HOME \"q\" `x`/";
        std::filesystem::create_directories(job);
        std::filesystem::create_directory(temp.file("bin"));
        if (c.program != nullptr) {
            std::string program = temp.file("bin/zelkon_cluster_task");
            std::ofstream(program) << "#!/bin/sh\n" << c.program << "\n";
            std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        }
        std::string command = task_command(
            {job, "Zelkon_job_000007_task_000003", "zelkon_cluster_7.zcd", 3, 41, 60, 2});
        std::string line = "PATH=" + shell_quote(temp.file("bin")) + ":/usr/bin:/bin sh -c " +
                           shell_quote(command) + " 2>/dev/null";
        std::system(line.c_str());
        std::string err = job + "Zelkon_job_000007_task_000003.err";
        EXPECT_EQ(std::filesystem::exists(err), c.err != nullptr);
        if (c.err != nullptr) {
            EXPECT_EQ(text_of(err), c.err);
        } else {
            EXPECT_EQ(text_of(job + "args"),
                      job + "zelkon_cluster_7.zcd\n3\n41\n60\nOMP_NUM_THREADS=2\n");
        }
    }
}

}  // namespace
}  // namespace zelkon
