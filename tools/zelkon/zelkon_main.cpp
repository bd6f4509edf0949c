// zelkon <input file> CLUSTER=<job ID>
#include <filesystem>
#include <iostream>

#include "init_stage.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return zelkon_ref::run_init(args, std::filesystem::current_path(), std::cout, std::cerr);
}
