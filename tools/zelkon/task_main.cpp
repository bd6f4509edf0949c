// zelkon_cluster_task <job folder><cluster data file> <task> <first> <last> [OMP_NUM_THREADS=<n>]
#include <iostream>

#include "program_info.h"
#include "task_stage.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const zelkon_ref::ProgramInfo info{
        "zelkon_cluster_task",
        "DATAFILE TASK FIRST LAST [OMP_NUM_THREADS=N]",
        "\nComputes rows FIRST to LAST of every component of the job whose cluster data file\n"
        "is DATAFILE (in the job folder), on N threads, and writes there the task's pieces,\n"
        "then its log, then deletes its semaphore file. A task that cannot run keeps its\n"
        "semaphore and puts the reason into its .err file.\n",
        {{0, "the task's pieces and log were written"},
         {1, "the task could not run (see its .err file)"},
         {2, "a usage error"},
         {70, "crashed on purpose (ZELKON_TASK_CRASH)"}}};
    if (auto code = zelkon_ref::answer_standard_options(args, info, std::cout, std::cerr)) {
        return *code;
    }
    return zelkon_ref::run_task(args, std::cout, std::cerr);
}
