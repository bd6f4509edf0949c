// zelkon_matrix_check <matrix file>...
#include <iostream>

#include "matrix_check.h"
#include "program_info.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const zelkon_ref::ProgramInfo info{
        "zelkon_matrix_check",
        "FILE...",
        "\nReads matrix files back: decompresses every row, checks that the rows run 1, 2,\n"
        "3 ... and prints the rows, cells, value range, zeros and compression of each.\n",
        {{0, "every file is a whole matrix"},
         {1, "a file could not be read or is damaged"},
         {2, "a usage error"}}};
    if (auto code = zelkon_ref::answer_standard_options(args, info, std::cout, std::cerr)) {
        return *code;
    }
    return zelkon_ref::run_matrix_check(args, std::cout, std::cerr);
}
