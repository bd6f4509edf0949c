#pragma once

#include "controller/run_state.h"
#include "settings/server_list.h"

namespace zelkon {

// Rebuilds the machine table and the task-server table of the run state from
// a decoded server list. Index 0 of every table is unused; the per-machine
// tables that server set-up fills are recreated empty.
void build_server_tables(const ServerList& list, RunState& state);

}  // namespace zelkon
