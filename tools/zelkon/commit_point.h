// The assembly's commit point: the last line of the assembly log and the matrix sizes it
// records. Everything after it was cut short by a killed run and is undone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <vector>

#include "assembly_log.h"

namespace zelkon_ref {

struct AssemblyFiles {
    std::filesystem::path job_folder;
    std::filesystem::path log;
    std::vector<std::filesystem::path> matrices;
};

// Cuts the log and the matrix files back to the last committed task and returns it; a
// first batch (task 1) with no committed task starts the matrix files afresh. Throws
// ZelkonError when the batch cannot follow what is committed.
CommittedState restore_commit_point(long long first_task, const AssemblyFiles& files,
                                    uint32_t cells, std::ostream& out);

}  // namespace zelkon_ref
