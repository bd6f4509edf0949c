#pragma once

#include <string>
#include <vector>

#include "controller/form_controls.h"

namespace zelkon {

// The statistics grid's column that shows, in green or red, whether a task
// server can be given tasks.
inline constexpr int kGridEnabledColumn = 1;

// The labels of the grid's rows marked red: the task servers that could not
// be opened or failed the connection test.
std::vector<std::string> unusable_task_servers(const GridControl& grid);

}  // namespace zelkon
