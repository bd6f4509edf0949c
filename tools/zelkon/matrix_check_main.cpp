// zelkon_matrix_check <matrix file>...
#include <iostream>

#include "matrix_check.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return zelkon_ref::run_matrix_check(args, std::cout, std::cerr);
}
