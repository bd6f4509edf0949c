#pragma once

#include <string>
#include <vector>

#include "controller/form_controls.h"

namespace zelkon {

// The labels of the grid's rows marked red: the task servers that could not
// be opened or failed the connection test.
std::vector<std::string> unusable_task_servers(const GridControl& grid);

}  // namespace zelkon
