#pragma once

#include "model/server_records.h"
#include "settings/server_list.h"

namespace zelkon {

// Rebuilds the machine table and the task-server table of the run state from
// a decoded server list; what server set-up fills in starts empty.
void build_server_tables(const ServerList& list, ServerTable& servers);

}  // namespace zelkon
