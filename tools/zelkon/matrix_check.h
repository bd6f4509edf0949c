// "zelkon_matrix_check <matrix file>...": reads a matrix file back and summarises it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zelkon_ref {

// Every row must decompress and the rows must run 1, 2, 3... Returns the exit code.
int run_matrix_check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zelkon_ref
