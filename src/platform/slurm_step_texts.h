#pragma once

#include <string>
#include <vector>

namespace zelkon {

// The srun command that runs one command (its words) as a step of one task
// on one node, with cpus CPUs, in folder. Verbose, so that its messages
// name the step it launched.
std::vector<std::string> srun_step_arguments(const std::string& node, int cpus,
                                             const std::string& folder,
                                             const std::vector<std::string>& command);

// The CPUs a command's threads need: n of an "OMP_NUM_THREADS=n" word, else 1.
int cpus_of_command(const std::vector<std::string>& command);

// The step id ("1234.5") of srun's launch message in its messages; "" while
// it has launched none.
std::string launched_step_id(const std::string& messages);

// srun's reason for a step that did not start: its last error message
// without the "srun: error: " prefix, or else its last line.
std::string srun_failure_reason(const std::string& messages);

}  // namespace zelkon
