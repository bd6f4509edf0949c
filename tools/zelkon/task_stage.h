// "zelkon_cluster_task <job path><cluster data file> <task> <first> <last> [OMP_NUM_THREADS=<n>]"
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zelkon_ref {

// Computes the task's rows of every component into pieces in the job folder, then writes
// the task log, and only then deletes the task's semaphore file. A task that fails keeps
// its semaphore and leaves "<task name>.err" in the job folder. Returns the exit code.
int run_task(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zelkon_ref
