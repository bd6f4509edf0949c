#pragma once

#include <string>

#include "platform/environment.h"
#include "settings/server_list.h"

namespace zelkon {

inline constexpr const char* kOutsideSlurmAllocation =
    "The server list names the Slurm allocation, but this program is not running inside one: "
    "start it under salloc or sbatch";

inline constexpr const char* kSlurmWithoutListener =
    "The Slurm allocation's nodes take their tasks as job steps, not through the listener: "
    "clear Use RPC";

// Replaces the machine "slurm" (also "slurm/N", "slurm/N/T") of a decoded
// list by the nodes of the allocation this program runs in, each with the
// tasks the allocation gives it, or N, as its count. Returns "" or the
// message that refuses the list.
std::string expand_slurm_allocation(ServerList& list, const Environment& environment);

}  // namespace zelkon
