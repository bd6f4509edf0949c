#pragma once

#include <cstdint>

#include "model/fixed_ms.h"

namespace zelkon {

// Whether a task server whose task has run for `running` is hung: it has
// taken more than ten times (two servers reporting) or five times (three or
// more) what the slowest working server would need for its task_data points.
bool is_hung(FixedMs running, std::int32_t task_data, float slowest_speed,
             std::int32_t servers_reporting);

}  // namespace zelkon
