// zelkon_cluster_assemble <job folder><cluster data file> <first task> <server label> [<count>]
#include <filesystem>
#include <iostream>

#include "assemble_stage.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return zelkon_ref::run_assemble(args, std::filesystem::current_path(), std::cout, std::cerr);
}
