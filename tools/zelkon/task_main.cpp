// zelkon_cluster_task <job folder><cluster data file> <task> <first> <last> [OMP_NUM_THREADS=<n>]
#include <iostream>

#include "task_stage.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return zelkon_ref::run_task(args, std::cout, std::cerr);
}
