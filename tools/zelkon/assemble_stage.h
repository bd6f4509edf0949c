// "zelkon_cluster_assemble <job path><cluster data file> <first task> <server label> [<count>]"
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace zelkon_ref {

// Run in the inversion folder. For each task of the batch, in order: appends its pieces to
// the matrix files, appends its assembly-log line, then creates "<task name>.old" in the job
// folder. The last log line is the commit point: a run that was killed and started again
// cuts the matrix files back to the sizes it records and skips the tasks it already holds.
// Returns the exit code; on failure the matrix files stay at their last committed state.
int run_assemble(const std::vector<std::string>& args, const std::filesystem::path& folder,
                 std::ostream& out, std::ostream& err);

}  // namespace zelkon_ref
