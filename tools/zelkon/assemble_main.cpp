// zelkon_cluster_assemble <job folder><cluster data file> <first task> <server label> [<count>]
#include <filesystem>
#include <iostream>

#include "assemble_stage.h"
#include "program_info.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const zelkon_ref::ProgramInfo info{
        "zelkon_cluster_assemble",
        "DATAFILE FIRST LABEL [COUNT]",
        "\nRun in the inversion folder: appends the pieces of COUNT tasks (default 1) from\n"
        "task FIRST on, found in the folder of the cluster data file DATAFILE, to the matrix\n"
        "files, adds each task's line (ending in LABEL) to the assembly log and marks the\n"
        "task merged. A failure leaves the files at their last committed state.\n",
        {{0, "every task of the batch is in the matrix"},
         {1, "a failure: standard error and zelkon_cluster_JOB_assembly.err say why"},
         {2, "a usage error"},
         {71, "crashed on purpose half-way (ZELKON_ASSEMBLE_CRASH)"},
         {72, "crashed on purpose after the log line (ZELKON_ASSEMBLE_CRASH)"}}};
    if (auto code = zelkon_ref::answer_standard_options(args, info, std::cout, std::cerr)) {
        return *code;
    }
    return zelkon_ref::run_assemble(args, std::filesystem::current_path(), std::cout, std::cerr);
}
