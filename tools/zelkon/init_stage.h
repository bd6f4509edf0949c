// "zelkon <input> CLUSTER=<job>": checks the input and prepares a cluster job.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace zelkon_ref {

// Writes the cluster data file and the init log into folder (the inversion folder).
// On bad input the log holds one line containing "Error" that says what is wrong.
// Returns the process exit code.
int run_init(const std::vector<std::string>& args, const std::filesystem::path& folder,
             std::ostream& out, std::ostream& err);

}  // namespace zelkon_ref
