// zelkon <input file> CLUSTER=<job ID>
#include <filesystem>
#include <iostream>

#include "init_stage.h"
#include "program_info.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const zelkon_ref::ProgramInfo info{
        "zelkon",
        "INPUT CLUSTER=JOB",
        "\nThe reference Zelkon program's cluster initialisation: checks the input file INPUT\n"
        "(zelkon.inp) and writes, in the current folder, the cluster data file\n"
        "zelkon_cluster_JOB.zcd and the initialisation log zelkon_cluster_init_JOB.log.\n",
        {{0, "the input was read and both files written"},
         {1, "bad input: the log and standard error say what is wrong"},
         {2, "a usage error"}}};
    if (auto code = zelkon_ref::answer_standard_options(args, info, std::cout, std::cerr)) {
        return *code;
    }
    return zelkon_ref::run_init(args, std::filesystem::current_path(), std::cout, std::cerr);
}
