#include "engine/task_engine.h"
#include "model/Module_zelkon_cluster.h"

namespace zelkon {
FixedMs TaskEngine::tick_count_ms() const {
    return FixedMs::from_scaled(clock.tick_ms() * FixedMs::kScale);
}

void TaskEngine::write_process_log(const std::string& text) {
    process_log.write(text);
}

}  // namespace zelkon
