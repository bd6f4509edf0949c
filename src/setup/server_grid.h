#pragma once

#include <string>
#include <vector>

#include "model/form_controls.h"
#include "model/server_records.h"

namespace zelkon {

// The grid labels ("name/instance/threads") of the task servers out of
// service: those that could not be opened or failed the connection test.
std::vector<std::string> unusable_task_servers(const ServerTable& servers);

// A task server's label in the grid's first column.
std::string grid_label(const TaskServer& server);

}  // namespace zelkon
